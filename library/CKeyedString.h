#pragma once
// One entry of a keyed list of the "Open Driver" dialog: an integer key and
// the display name it stands for (bytes of the packages' code page).
#include <string>

namespace quillon::library {

struct CKeyedString {
  int m_key = 0;
  std::string m_name;
};

}  // namespace quillon::library
