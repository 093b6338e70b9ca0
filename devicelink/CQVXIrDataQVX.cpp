#include "devicelink/CQVXIrDataQVX.h"

#include <utility>

namespace quillon {

CQVXIrDataQVX::CQVXIrDataQVX(std::vector<uint8_t> bytes) : CQVXIrData(kTextNoData) {
  // The description depends on whether bytes arrived; set it before the
  // buffer is moved in, since the two arguments may be evaluated in any order.
  if (!bytes.empty()) SetText(kTextLearned);
  SetBuffer(std::move(bytes));
}

CQVXIrDataQVX::~CQVXIrDataQVX() = default;

}  // namespace quillon
