// Discovery answers: any datagram gives three texts taken from within its
// bytes, none longer than the datagram.
#include <cstddef>
#include <cstdint>

#include "devicelink/CQVXDatagram.h"
#include "fuzz/FuzzTarget.h"

QUILLON_FUZZ_TARGET(datagram) {
  using quillon::CQVXDatagram;
  const CQVXDatagram answer = CQVXDatagram::FromAnswer(data, size, 0x7F000001u, 0);
  QUILLON_FUZZ_CHECK(answer.m_PartNumber.size() + answer.m_Firmware.size() + answer.m_Name.size() <= size);
  QUILLON_FUZZ_CHECK(answer.FormatAddress() == "127.0.0.1");
  QUILLON_FUZZ_CHECK(answer.IsSameDevice(answer));
  return 0;
}
