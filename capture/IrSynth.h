#pragma once
// Builds realistic raw captures of common remote-control protocols: the ideal
// mark/space timeline of a held button (first frame plus repeats), then the
// bytes a QVX or Halvar learner would report for it, with measurement noise.
#include <cstdint>
#include <string>
#include <vector>

namespace quillon {

struct TIrTimeline {
  int carrier_hz = 38000;
  // Alternating mark and space durations in microseconds, mark first,
  // ending with a space.
  std::vector<uint32_t> durations_us;
  // Number of durations that make up the first frame.
  int first_frame = 0;
};

class IrSynth {
 public:
  struct Options {
    uint32_t address = 0x04;
    uint32_t command = 0x08;
    int frames = 4;          // first frame plus repeats (repeat codes for NEC)
    double jitter = 0.02;    // largest relative error of a measured duration
    // Largest relative error of the measured carrier (period for QVX,
    // frequency for Halvar); 0 together with jitter 0 gives an exact capture.
    double carrier_noise = 0.002;
    uint32_t seed = 1;
  };

  // "nec", "necx", "samsung", "jvc", "rc5", "rc6", "sony12", "sony15", "sony20".
  static std::vector<std::string> Protocols();
  static bool IsProtocol(const std::string& name);
  // The ideal timeline; throws std::invalid_argument for an unknown protocol.
  static TIrTimeline Make(const std::string& protocol, const Options& options);

  // The capture as a QVX learner reports it: record count, a lead-in record,
  // then pulse-count/period records for marks and tick counts for spaces
  // (66 MHz ticks, big-endian). The final space is stretched as a learner
  // stretches it while waiting for more signal.
  static std::vector<uint8_t> ToQVX(const TIrTimeline& timeline, const Options& options);
  // The capture as a Halvar learner reports it: carrier in Hz, then 1024
  // edge stamps in 8 us ticks that wrap at 65536, zero after the last edge.
  static std::vector<uint8_t> ToHalvar(const TIrTimeline& timeline, const Options& options);
};

}  // namespace quillon
