// Discovery answers: any datagram gives the three texts it carries, part
// number, firmware and name, each taken whole from within the datagram: the
// texts and their NUL terminators are the datagram's first bytes, each text
// runs to its terminator or to the end, and missing texts are empty.
#include <cstddef>
#include <cstdint>
#include <string>

#include "devicelink/CQVXDatagram.h"
#include "fuzz/FuzzTarget.h"

QUILLON_FUZZ_TARGET(datagram) {
  using quillon::CQVXDatagram;
  const CQVXDatagram answer = CQVXDatagram::FromAnswer(data, size, 0x7F000001u, 0);
  const std::string datagram(reinterpret_cast<const char*>(data), size);

  std::size_t at = 0;
  bool ended = false;  // the datagram ended before this text
  for (const std::string* text : {&answer.m_PartNumber, &answer.m_Firmware, &answer.m_Name}) {
    if (ended) {
      QUILLON_FUZZ_CHECK(text->empty());
      continue;
    }
    QUILLON_FUZZ_CHECK(text->find('\0') == std::string::npos);
    QUILLON_FUZZ_CHECK(datagram.compare(at, text->size(), *text) == 0);
    at += text->size();
    // The text stops at a terminator or at the end, never before.
    QUILLON_FUZZ_CHECK(at <= size);
    if (at == size) {
      ended = true;
    } else {
      QUILLON_FUZZ_CHECK(data[at] == 0);
      ++at;
      ended = at == size;
    }
  }

  QUILLON_FUZZ_CHECK(answer.FormatAddress() == "127.0.0.1");
  QUILLON_FUZZ_CHECK(answer.IsSameDevice(answer));
  // A different name or sender is another device; another firmware is not.
  CQVXDatagram renamed = answer;
  renamed.m_Name += 'x';
  QUILLON_FUZZ_CHECK(!renamed.IsSameDevice(answer));
  CQVXDatagram upgraded = answer;
  upgraded.m_Firmware += 'x';
  QUILLON_FUZZ_CHECK(upgraded.IsSameDevice(answer));
  const CQVXDatagram elsewhere = CQVXDatagram::FromAnswer(data, size, 0x7F000002u, 0);
  QUILLON_FUZZ_CHECK(!elsewhere.IsSameDevice(answer));
  return 0;
}
