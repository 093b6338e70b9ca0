#pragma once
// A capture from a Halvar switcher: carrier frequency followed by 1024 edge
// time stamps (2052 bytes).
#include <cstdint>
#include <vector>

#include "devicelink/CQVXIrData.h"

namespace quillon {

class CQVXIrDataHalvar : public CQVXIrData {
 public:
  static constexpr const char* kText = "Halvar IR Data";
  static constexpr int32_t kCaptureSize = 2052;

  explicit CQVXIrDataHalvar(std::vector<uint8_t> bytes = {});
  ~CQVXIrDataHalvar() override;
};

}  // namespace quillon
