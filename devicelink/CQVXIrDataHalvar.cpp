#include "devicelink/CQVXIrDataHalvar.h"

#include <utility>

CQVXIrDataHalvar::CQVXIrDataHalvar(std::vector<uint8_t> bytes)
    : CQVXIrData(kText, std::move(bytes)) {}

CQVXIrDataHalvar::~CQVXIrDataHalvar() = default;
