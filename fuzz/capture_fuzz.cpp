// Raw captures of both learner kinds: any bytes end in a result code, never
// a fault. The first byte picks the kind and whether the brief analysis
// runs; the rest is the capture as the learner sends it.
#include <cstddef>
#include <cstdint>
#include <limits>

#include "capture/TIrCaptureAnalyser.h"
#include "capture/TIrCaptureResult.h"
#include "capture/TIrCaptureSettings.h"
#include "fuzz/FuzzTarget.h"

QUILLON_FUZZ_TARGET(capture) {
  using namespace quillon;
  if (size == 0) return 0;
  const bool halvar = (data[0] & 1) != 0;
  const bool brief = (data[0] & 2) != 0;
  const TIrCaptureKind kind = halvar ? TIrCaptureKind::Halvar : TIrCaptureKind::QVX;
  const std::uint8_t* capture = data + 1;
  const std::size_t length = size - 1;
  if (length > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) return 0;

  TIrCaptureAnalyser analyser(TIrCaptureSettings::Defaults(kind), brief);
  TIrCaptureResult result;
  const std::int32_t code = halvar
      ? analyser.AnalyseHalvar(capture, static_cast<std::int32_t>(length), result)
      : analyser.AnalyseQVX(capture, static_cast<std::int32_t>(length), result);
  QUILLON_FUZZ_CHECK(code >= 0 && code <= TIrCaptureAnalyser::kCarrierOutOfRange);
  return 0;
}
