// Raw captures of both learner kinds: any bytes end in a result code, never
// a fault. The first byte picks the kind, whether the brief analysis runs
// and whether the enhanced analysis runs instead of the specified one; the
// rest is the capture as the learner sends it.
#include <cstddef>
#include <cstdint>
#include <limits>

#include "capture/TIrCaptureAnalyser.h"
#include "capture/TIrCaptureAnalysis.h"
#include "capture/TIrCaptureResult.h"
#include "capture/TIrCaptureSettings.h"
#include "fuzz/FuzzTarget.h"

QUILLON_FUZZ_TARGET(capture) {
  using namespace quillon;
  if (size == 0) return 0;
  const bool halvar = (data[0] & 1) != 0;
  const bool brief = (data[0] & 2) != 0;
  const bool enhanced = (data[0] & 4) != 0;
  const TIrCaptureKind kind = halvar ? TIrCaptureKind::Halvar : TIrCaptureKind::QVX;
  const std::uint8_t* capture = data + 1;
  const std::size_t length = size - 1;
  if (length > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) return 0;

  TIrCaptureSettings settings = TIrCaptureSettings::Defaults(kind);
  if (enhanced) settings.analysis = TIrAnalysisMethod::Enhanced;
  TIrCaptureResult result;
  const std::int32_t code = TIrCaptureAnalysis::Analyse(
      kind, settings, brief, capture, static_cast<std::int32_t>(length), result);
  QUILLON_FUZZ_CHECK(code >= 0 && code <= TIrCaptureAnalyser::kCarrierOutOfRange);
  QUILLON_FUZZ_CHECK(result.time_count >= 0 && result.time_count <= TIrCaptureResult::kMaxTimes);
  QUILLON_FUZZ_CHECK(code != 0 || result.time_count > 0);
  if (enhanced && code == 0) {
    // Every selector names entries of the table, which ascends.
    for (int i = 0; i < result.header_count; ++i) {
      const std::uint8_t s = result.header_selectors[static_cast<std::size_t>(i)];
      QUILLON_FUZZ_CHECK((s >> 4) < result.time_count && (s & 15) < result.time_count);
    }
    for (int i = 0; i < result.body_count; ++i) {
      const std::uint8_t s = result.body_selectors[static_cast<std::size_t>(i)];
      QUILLON_FUZZ_CHECK((s >> 4) < result.time_count && (s & 15) < result.time_count);
    }
    for (int i = 1; i < result.time_count; ++i) {
      QUILLON_FUZZ_CHECK(result.times[static_cast<std::size_t>(i - 1)] < result.times[static_cast<std::size_t>(i)]);
    }
  }
  return 0;
}
