#include "devicelink/CQVXEventFile.h"

CQVXEventFile::~CQVXEventFile() = default;
