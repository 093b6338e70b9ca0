// Raw captures of both learner kinds: any bytes end in a result code, never
// a fault. The first byte picks the kind (bit 0: Halvar), whether the brief
// analysis runs (bit 1) and whether the enhanced analysis runs instead of the
// specified one (bit 2); the rest is the capture as the learner sends it.
// What must hold:
//  - the capture is left as received, and analysing it again gives the same
//    code and the same output, whatever the result held before;
//  - a failure leaves the time table and both selector lists empty;
//  - a success is a sub-function a driver file can hold (1 to 15 non-zero
//    time values, selectors naming them, a record of at most 255 bytes that
//    reads back the same), with a carrier inside the kind's range, and its
//    played form, header once and body once, is no longer than the capture:
//    the marks and spaces come from the capture's intervals. For a Halvar
//    capture the specified analysis plays exactly the intervals it analysed
//    (clustered); the enhanced one keeps its time table ascending.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <vector>

#include "capture/TIrCaptureAnalyser.h"
#include "capture/TIrCaptureAnalysis.h"
#include "capture/TIrCaptureResult.h"
#include "capture/TIrCaptureSettings.h"
#include "capture/TIrRender.h"
#include "fuzz/FuzzTarget.h"
#include "irmodel/TQVXIrLoadBuffer.h"
#include "irmodel/TQVXIrSaveBuffer.h"
#include "irmodel/TQVXIrSubFunction.h"

namespace {

using namespace quillon;

std::uint32_t ReadBE32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

bool SameOutput(const TIrCaptureResult& a, const TIrCaptureResult& b) {
  return a.result == b.result && a.times == b.times && a.time_count == b.time_count &&
         a.header_selectors == b.header_selectors && a.header_count == b.header_count &&
         a.body_selectors == b.body_selectors && a.body_count == b.body_count && a.divider == b.divider &&
         a.modulated == b.modulated && a.min_repeats == b.min_repeats &&
         std::equal(a.halvar_records.begin(), a.halvar_records.end(), b.halvar_records.begin(),
                    [](const TIrRecord& x, const TIrRecord& y) { return x.marker == y.marker && x.value == y.value; });
}

// Intervals in a Halvar capture: edge stamps up to the first pair of zero
// stamps, at most 1022 of them.
int HalvarIntervals(const std::uint8_t* capture, std::size_t length) {
  const std::size_t stamps = std::min<std::size_t>(length < 4 ? 0 : (length - 4) / 2,
                                                   TIrCaptureAnalyser::kHalvarStamps);
  int intervals = 0;
  for (std::size_t k = 0; k + 1 < stamps; ++k) {
    const std::uint8_t* a = capture + 4 + 2 * k;
    if (a[0] == 0 && a[1] == 0 && a[2] == 0 && a[3] == 0) break;
    ++intervals;
  }
  return std::min(intervals, TIrCaptureAnalyser::kHalvarStamps - 2);
}

// The stored form of a successful result.
void CheckSuccess(const TIrCaptureResult& result, const TIrCaptureSettings& settings, bool halvar,
                  const std::uint8_t* capture, std::size_t length) {
  const bool enhanced = settings.analysis == TIrAnalysisMethod::Enhanced;
  const int times = result.time_count;
  const int header = result.header_count;
  const int body = result.body_count;
  QUILLON_FUZZ_CHECK(times >= 1 && times <= TIrCaptureResult::kMaxTimes);
  QUILLON_FUZZ_CHECK(header >= 0 && 2 * header <= 510);
  QUILLON_FUZZ_CHECK(body >= 1 && 2 * body <= 510);
  QUILLON_FUZZ_CHECK(10 + 2 * times + header + body < 256);
  for (int i = 0; i < times; ++i) QUILLON_FUZZ_CHECK(result.times[static_cast<std::size_t>(i)] != 0);
  if (enhanced) {
    for (int i = 1; i < times; ++i)
      QUILLON_FUZZ_CHECK(result.times[static_cast<std::size_t>(i - 1)] < result.times[static_cast<std::size_t>(i)]);
  }
  for (int j = 0; j < header; ++j) {
    const std::uint8_t s = result.header_selectors[static_cast<std::size_t>(j)];
    QUILLON_FUZZ_CHECK((s >> 4) < times && (s & 0x0F) < times);
  }
  for (int j = 0; j < body; ++j) {
    const std::uint8_t s = result.body_selectors[static_cast<std::size_t>(j)];
    QUILLON_FUZZ_CHECK((s >> 4) < times && (s & 0x0F) < times);
  }

  // The carrier lies in the kind's range.
  QUILLON_FUZZ_CHECK(result.divider != 0);
  const std::int64_t carrier = 66000000 / result.divider;
  if (halvar) {
    // The divider is 66 MHz over the stated carrier, truncated.
    const std::int64_t stated = ReadBE32(capture);
    QUILLON_FUZZ_CHECK(result.modulated);
    QUILLON_FUZZ_CHECK(stated >= settings.min_carrier && stated <= settings.max_carrier);
    QUILLON_FUZZ_CHECK(carrier >= stated && carrier <= stated + stated / 1000 + 1);
  } else {
    QUILLON_FUZZ_CHECK(carrier >= settings.min_carrier && carrier <= settings.max_carrier);
    // Unmodulated only when no burst reaches the leading-discard threshold.
    const std::uint32_t records = ReadBE32(capture);
    bool strong = false;
    for (std::uint32_t i = 1; i < records && !strong; ++i) {
      const std::uint8_t* r = capture + 4 + 6 * std::size_t{i};
      strong = ((r[0] << 8) | r[1]) >= settings.leading_discard_threshold;
    }
    QUILLON_FUZZ_CHECK(result.modulated == strong);
  }

  // The sub-function a learned function stores: a valid driver-file record.
  const TQVXIrSubFunction sub = result.ToSubFunction();
  QUILLON_FUZZ_CHECK(sub.GetStoredSize() == 10 + 2 * times + header + body);
  QUILLON_FUZZ_CHECK(sub.GetTimeCount() == times && sub.GetSelectorCount() == header + body);
  QUILLON_FUZZ_CHECK(sub.GetRepeatCount() == result.min_repeats);
  std::vector<std::uint8_t> record(static_cast<std::size_t>(sub.GetStoredSize()));
  TQVXIrSaveBuffer out(record.data(), record.size());
  QUILLON_FUZZ_CHECK(sub.Write(out) == sub.GetStoredSize());
  TQVXIrLoadBuffer in(record.data(), record.size());
  const TQVXIrSubFunction read(in);
  QUILLON_FUZZ_CHECK(read.GetTimes() == sub.GetTimes() && read.GetSelectors() == sub.GetSelectors());
  QUILLON_FUZZ_CHECK(read.GetDivider() == sub.GetDivider() && read.GetCounts() == sub.GetCounts() &&
                     read.GetFlags() == sub.GetFlags() && read.GetHeaderCount() == header &&
                     read.GetBodyCount() == body);

  // Played once through, the function is at most as long as the capture.
  const std::uint8_t* selectors = sub.GetSelectors().data();
  const std::vector<std::uint32_t> played =
      TIrRender::Cycles(sub.GetTimes().data(), times, selectors, header, selectors + header, body, 1);
  QUILLON_FUZZ_CHECK(played.size() == 2 * static_cast<std::size_t>(header + body));
  if (halvar) {
    const int intervals = HalvarIntervals(capture, length);
    QUILLON_FUZZ_CHECK(played.size() <= static_cast<std::size_t>(intervals));
    if (!enhanced) {
      // Header and body are the analysed intervals from the start, each
      // stored as the value of its time (16 bits).
      QUILLON_FUZZ_CHECK(intervals % 2 == 0);
      for (std::size_t i = 0; i < played.size(); ++i)
        QUILLON_FUZZ_CHECK(played[i] == (result.halvar_records[i].value & 0xFFFFu));
    }
  } else {
    // Record 0 of a QVX capture is not part of the signal.
    QUILLON_FUZZ_CHECK(played.size() <= ReadBE32(capture) - 1);
  }
}

}  // namespace

QUILLON_FUZZ_TARGET(capture) {
  if (size == 0) return 0;
  const bool halvar = (data[0] & 1) != 0;
  const bool brief = (data[0] & 2) != 0;
  const bool enhanced = (data[0] & 4) != 0;
  const TIrCaptureKind kind = halvar ? TIrCaptureKind::Halvar : TIrCaptureKind::QVX;
  const std::uint8_t* capture = data + 1;
  const std::size_t length = size - 1;
  if (length > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) return 0;
  const auto count = static_cast<std::int32_t>(length);
  // The analyser reads a copy, so a change to the capture would show.
  const std::vector<std::uint8_t> received(capture, capture + length);

  TIrCaptureSettings settings = TIrCaptureSettings::Defaults(kind);
  if (enhanced) settings.analysis = TIrAnalysisMethod::Enhanced;
  TIrCaptureResult result;
  const std::int32_t code = TIrCaptureAnalysis::Analyse(kind, settings, brief, received.data(), count, result);
  QUILLON_FUZZ_CHECK(code >= 0 && code <= TIrCaptureAnalyser::kCarrierOutOfRange);
  QUILLON_FUZZ_CHECK(result.result == code);
  QUILLON_FUZZ_CHECK(std::equal(received.begin(), received.end(), capture));

  // The same capture gives the same answer, whatever the result held before.
  TIrCaptureResult again;
  again.time_count = 3;
  again.header_count = 7;
  again.body_count = 9;
  QUILLON_FUZZ_CHECK(TIrCaptureAnalysis::Analyse(kind, settings, brief, received.data(), count, again) == code);
  QUILLON_FUZZ_CHECK(SameOutput(result, again));

  if (code != TIrCaptureAnalyser::kSuccess) {
    QUILLON_FUZZ_CHECK(result.time_count == 0 && result.header_count == 0 && result.body_count == 0);
    QUILLON_FUZZ_CHECK(!result.IsSuccess());
    return 0;
  }
  QUILLON_FUZZ_CHECK(result.IsSuccess());
  CheckSuccess(result, settings, halvar, received.data(), length);
  return 0;
}
