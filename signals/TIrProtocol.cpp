#include "signals/TIrProtocol.h"

#include <cctype>

namespace quillon {
namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

uint32_t Mask(int bits) { return bits >= 32 ? 0xFFFFFFFFu : ((1u << bits) - 1u); }

}  // namespace

const std::vector<TIrProtocol::Info>& TIrProtocol::All() {
  // Kaseikyo's address is the 2-bit id, the 16-bit vendor code and the two
  // 4-bit genre fields (id << 24 | vendor << 8 | genre1 << 4 | genre2); its
  // command is 10 bits. NEC42ext keeps both 13-bit address halves and both
  // command bytes.
  static const std::vector<Info> all = {
      {"NEC", 8, 8, 38000},        {"NECext", 16, 16, 38000},   {"NEC42", 13, 8, 38000},
      {"NEC42ext", 26, 16, 38000}, {"Samsung32", 8, 8, 38000},  {"Pioneer", 8, 8, 40000},
      {"JVC", 8, 8, 38000},        {"Kaseikyo", 26, 10, 37000}, {"RCA", 4, 8, 56000},
      {"Sharp", 5, 8, 38000},      {"SIRC", 5, 7, 40000},       {"SIRC15", 8, 7, 40000},
      {"SIRC20", 13, 7, 40000},    {"RC6", 8, 8, 36000},        {"RC5", 5, 6, 36000},
      {"RC5X", 5, 7, 36000},
  };
  return all;
}

const TIrProtocol::Info* TIrProtocol::Find(std::string_view name) {
  for (const Info& info : All()) {
    if (EqualNoCase(info.name, name)) return &info;
  }
  return nullptr;
}

std::string TIrProtocol::CanonicalName(std::string_view name) {
  const Info* info = Find(name);
  return info ? std::string(info->name) : std::string(name);
}

bool TIrProtocol::Fits(const TIrCode& code) {
  const Info* info = Find(code.protocol);
  if (!info) return false;
  return (code.address & ~Mask(info->address_bits)) == 0 && (code.command & ~Mask(info->command_bits)) == 0;
}

TIrCode TIrProtocol::Cut(const TIrCode& code) {
  const Info* info = Find(code.protocol);
  if (!info) return code;
  return TIrCode{info->name, code.address & Mask(info->address_bits), code.command & Mask(info->command_bits)};
}

TIrCode TIrProtocol::Canonical(const TIrCode& code) {
  if (!Find(code.protocol)) return code;
  TIrCode out = Cut(code);
  if (out.protocol == "RC5X" && out.command < 64) out.protocol = "RC5";
  if (out.protocol == "NECext") {
    const uint32_t a = out.address, c = out.command;
    if ((((a >> 8) & 0xFF) == (~a & 0xFF)) && (((c >> 8) & 0xFF) == (~c & 0xFF))) {
      out = TIrCode{"NEC", a & 0xFF, c & 0xFF};
    }
  } else if (out.protocol == "NEC42ext") {
    const uint32_t a = out.address, c = out.command;
    if ((((a >> 13) & 0x1FFF) == (~a & 0x1FFF)) && (((c >> 8) & 0xFF) == (~c & 0xFF))) {
      out = TIrCode{"NEC42", a & 0x1FFF, c & 0xFF};
    }
  }
  return out;
}

}  // namespace quillon
