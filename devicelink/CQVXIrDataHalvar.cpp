#include "devicelink/CQVXIrDataHalvar.h"

#include <utility>

namespace quillon {

CQVXIrDataHalvar::CQVXIrDataHalvar(std::vector<uint8_t> bytes)
    : CQVXIrData(kText, std::move(bytes)) {}

CQVXIrDataHalvar::~CQVXIrDataHalvar() = default;

}  // namespace quillon
