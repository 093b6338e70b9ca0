#pragma once
// The protocol codes of driver functions, remembered by their IR data: a
// function list redrawn after every edit of a 126-function driver decodes
// only the signals it has not seen before, and a function whose data changed
// is decoded again because its data is the key.
#include <cstddef>
#include <string>
#include <unordered_map>

#include "signals/TIrCode.h"

namespace quillon {

class TQVXIrFunction;

class TIrCodeCache {
 public:
  // Beyond this many signals the cache starts afresh.
  static constexpr std::size_t kMaxEntries = 4096;

  // What TIrDecoder::DecodeFunction gives for FUNCTION ("unknown" for a
  // function without IR data).
  const TIrCode& Of(const TQVXIrFunction& function);

  std::size_t Size() const { return m_codes.size(); }
  // How often the decoder ran.
  std::size_t Decodes() const { return m_decodes; }

 private:
  std::unordered_map<std::string, TIrCode> m_codes;
  std::size_t m_decodes = 0;
};

}  // namespace quillon
