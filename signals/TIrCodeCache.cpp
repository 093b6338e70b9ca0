#include "signals/TIrCodeCache.h"

#include "irmodel/TQVXIrFunction.h"
#include "signals/TIrDecoder.h"

namespace quillon {
namespace {

// Everything of the sub-function a press plays (the first one that is
// there), as bytes.
std::string KeyOf(const TQVXIrFunction& function) {
  std::string key;
  for (int i = 0; i < function.GetSubFunctionCount(); ++i) {
    const TQVXIrSubFunction* sub = function.GetSubFunction(i);
    if (sub == nullptr) continue;
    const auto put16 = [&key](std::uint16_t value) {
      key.push_back(static_cast<char>(value >> 8));
      key.push_back(static_cast<char>(value & 0xFF));
    };
    key.push_back(static_cast<char>(sub->GetFlags()));
    put16(sub->GetDivider());
    put16(sub->GetGranularity());
    key.push_back(static_cast<char>(sub->GetHeaderCount()));
    key.push_back(static_cast<char>(sub->GetBodyCount()));
    key.push_back(static_cast<char>(sub->GetCounts()));
    key.push_back(static_cast<char>(sub->GetTimeCount()));
    for (std::uint16_t time : sub->GetTimes()) put16(time);
    key.append(sub->GetSelectors().begin(), sub->GetSelectors().end());
    break;
  }
  return key;
}

}  // namespace

const TIrCode& TIrCodeCache::Of(const TQVXIrFunction& function) {
  std::string key = KeyOf(function);
  if (auto found = m_codes.find(key); found != m_codes.end()) return found->second;
  if (m_codes.size() >= kMaxEntries) m_codes.clear();
  ++m_decodes;
  return m_codes.emplace(std::move(key), TIrDecoder::DecodeFunction(function)).first->second;
}

}  // namespace quillon
