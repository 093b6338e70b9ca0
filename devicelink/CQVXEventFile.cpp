#include "devicelink/CQVXEventFile.h"

namespace quillon {

CQVXEventFile::~CQVXEventFile() = default;

}  // namespace quillon
