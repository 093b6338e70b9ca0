#pragma once
// A capture from a QVX control processor: a record count followed by
// pulse-count/time records (see the capture analysis for the layout).
#include <cstdint>
#include <vector>

#include "devicelink/CQVXIrData.h"

namespace quillon {

class CQVXIrDataQVX : public CQVXIrData {
 public:
  static constexpr const char* kTextLearned = "Learned IR Data";
  static constexpr const char* kTextNoData = "No IR Data";

  // The description is "Learned IR Data", or "No IR Data" without bytes.
  explicit CQVXIrDataQVX(std::vector<uint8_t> bytes = {});
  ~CQVXIrDataQVX() override;
};

}  // namespace quillon
