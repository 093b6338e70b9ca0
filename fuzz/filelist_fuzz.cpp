// File-list replies of a control processor: any reply text gives a list of
// the well-formed lines, whose entries can be looked up by name.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "devicelink/CQVXFileList.h"
#include "fuzz/FuzzTarget.h"

QUILLON_FUZZ_TARGET(filelist) {
  using quillon::CQVXFileList;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CQVXFileList list;
  const std::size_t count = list.Parse(text);
  QUILLON_FUZZ_CHECK(count == list.GetCount());
  for (std::size_t i = 0; i < list.GetCount(); ++i) QUILLON_FUZZ_CHECK(list.GetAt(i) != nullptr);
  const int next = list.NextFreeNumber();
  QUILLON_FUZZ_CHECK(next >= -1 && next <= 99);
  (void)list.Find("1.vir", false);
  return 0;
}
