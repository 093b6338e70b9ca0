#pragma once
// One quantised IR burst: a carrier divider, a table of up to 15 time values
// in carrier cycles and the header and body selector sequences. Each selector
// byte names two durations of the table (high nibble first, low nibble second).
#include <cstdint>
#include <vector>

namespace quillon {

class TQVXIrLoadStream;
class TQVXIrSaveStream;

class TQVXIrSubFunction {
 public:
  // Bits of the flags byte; other bits are carried unchanged.
  static constexpr std::uint8_t kModulated = 0x01;  // sent on the carrier
  static constexpr std::uint8_t kX10 = 0x02;        // an X10 code
  static constexpr std::uint8_t kInverted = 0x04;

  // All fields 0 except granularity 1; no time table and no selectors.
  TQVXIrSubFunction();
  TQVXIrSubFunction(const TQVXIrSubFunction& other);
  TQVXIrSubFunction& operator=(const TQVXIrSubFunction& other);
  // Reads one sub-function record at the stream's position (driver file
  // layout); throws TQVXIrException code 2 on malformed data.
  explicit TQVXIrSubFunction(TQVXIrLoadStream& stream);
  virtual ~TQVXIrSubFunction();

  std::uint8_t GetFlags() const { return flags_; }
  void SetFlags(std::uint8_t flags) { flags_ = flags; }
  bool IsModulated() const { return (flags_ & kModulated) != 0; }
  bool IsX10() const { return (flags_ & kX10) != 0; }
  bool IsInverted() const { return (flags_ & kInverted) != 0; }

  std::uint16_t GetDivider() const { return divider_; }
  void SetDivider(std::uint16_t divider) { divider_ = divider; }
  std::uint16_t GetGranularity() const { return granularity_; }
  void SetGranularity(std::uint16_t granularity) { granularity_ = granularity; }
  std::uint8_t GetHeaderCount() const { return header_count_; }
  void SetHeaderCount(std::uint8_t count) { header_count_ = count; }
  std::uint8_t GetBodyCount() const { return body_count_; }
  void SetBodyCount(std::uint8_t count) { body_count_ = count; }

  // counts: high nibble repeat_count, low nibble number of time values.
  std::uint8_t GetCounts() const { return counts_; }
  void SetCounts(std::uint8_t counts) { counts_ = counts; }
  int GetRepeatCount() const { return counts_ >> 4; }
  void SetRepeatCount(int repeat) { counts_ = static_cast<std::uint8_t>(((repeat & 0x0F) << 4) | (counts_ & 0x0F)); }

  // Replaces the time table with a copy; count <= 0 or no values clears it.
  // The counts byte is not touched.
  void SetTimes(const std::uint16_t* values, int count);
  void SetTimes(const std::vector<std::uint16_t>& values);
  // The value at I, or 0 when I is out of range.
  std::uint16_t GetTime(int i) const;
  int GetTimeCount() const { return static_cast<int>(times_.size()); }
  const std::vector<std::uint16_t>& GetTimes() const { return times_; }

  // Replaces the selector array (count <= 0 clears it); header_count and
  // body_count stay as they are.
  void SetSelectors(const std::uint8_t* bytes, int count);
  // The selectors become HEADER followed by BODY, header_count = hcount and
  // body_count = bcount (negative counts count as 0). When both parts are
  // empty the array is cleared and the two counts keep their values.
  void SetHeaderAndBody(const std::uint8_t* header, int hcount, const std::uint8_t* body, int bcount);
  // The selector at I, or 0 when I is out of range.
  std::uint8_t GetSelector(int i) const;
  int GetSelectorCount() const { return static_cast<int>(selectors_.size()); }
  const std::vector<std::uint8_t>& GetSelectors() const { return selectors_; }

  // 66,000,000 / divider; throws TQVXIrException code 2 for a divider of 0.
  int GetCarrierHz() const;

  // Record size in a driver file: 10 + 2 * (low nibble of counts) +
  // header_count + body_count.
  int GetStoredSize() const;

  // Writes the record (driver file layout); returns the bytes written.
  // Throws code 5 when the record would be longer than 255 bytes.
  int Write(TQVXIrSaveStream& stream) const;

  // True when OTHER describes the same burst within the given tolerances
  // (percent): same granularity, dividers within dividerTolerance, same
  // header, body and selector counts, and every pair of durations named by
  // the selectors within timeTolerance.
  bool Matches(const TQVXIrSubFunction* other, float timeTolerance, float dividerTolerance) const;

  // Whether A and B match within T percent: equal, or both non-zero and
  // T >= 100 - 100 * min / max.
  static bool ValuesMatch(unsigned a, unsigned b, double tolerance);

 private:
  std::uint8_t flags_ = 0;
  std::uint16_t divider_ = 0;
  std::uint16_t granularity_ = 1;
  std::uint8_t header_count_ = 0;
  std::uint8_t body_count_ = 0;
  std::uint8_t counts_ = 0;
  std::vector<std::uint16_t> times_;
  std::vector<std::uint8_t> selectors_;
};

}  // namespace quillon
