#include "irmodel/TQVXIrSubFunction.h"

#include <algorithm>

#include "irmodel/TQVXIrException.h"
#include "irmodel/TQVXIrLoadStream.h"
#include "irmodel/TQVXIrSaveStream.h"

namespace quillon {

namespace {

constexpr int kEndMarker = 0x34;
constexpr int kMaxRecordLength = 255;

}  // namespace

TQVXIrSubFunction::TQVXIrSubFunction() = default;
TQVXIrSubFunction::TQVXIrSubFunction(const TQVXIrSubFunction& other) = default;
TQVXIrSubFunction& TQVXIrSubFunction::operator=(const TQVXIrSubFunction& other) = default;
TQVXIrSubFunction::~TQVXIrSubFunction() = default;

TQVXIrSubFunction::TQVXIrSubFunction(TQVXIrLoadStream& stream) {
  stream.ReadPlainByte();  // the record length; the fields below decide the size
  flags_ = static_cast<std::uint8_t>(stream.ReadByte());
  divider_ = static_cast<std::uint16_t>(stream.Read16());
  granularity_ = static_cast<std::uint16_t>(stream.Read16());
  header_count_ = static_cast<std::uint8_t>(stream.ReadByte());
  body_count_ = static_cast<std::uint8_t>(stream.ReadByte());
  counts_ = static_cast<std::uint8_t>(stream.ReadByte());
  const int timeCount = counts_ & 0x0F;
  if (timeCount == 0) throw TQVXIrException(TQVXIrException::kCorruptFile);
  times_.resize(static_cast<std::size_t>(timeCount));
  for (auto& t : times_) t = static_cast<std::uint16_t>(stream.Read16());
  const int selectorCount = header_count_ + body_count_;
  if (selectorCount == 0) throw TQVXIrException(TQVXIrException::kCorruptFile);
  selectors_.resize(static_cast<std::size_t>(selectorCount));
  for (auto& s : selectors_) s = static_cast<std::uint8_t>(stream.ReadByte());
  if (stream.ReadByte() != kEndMarker) throw TQVXIrException(TQVXIrException::kCorruptFile);
}

void TQVXIrSubFunction::SetTimes(const std::uint16_t* values, int count) {
  if (values == nullptr || count <= 0) {
    times_.clear();
    return;
  }
  times_.assign(values, values + count);
}

void TQVXIrSubFunction::SetTimes(const std::vector<std::uint16_t>& values) {
  SetTimes(values.data(), static_cast<int>(values.size()));
}

std::uint16_t TQVXIrSubFunction::GetTime(int i) const {
  if (i < 0 || i >= GetTimeCount()) return 0;
  return times_[static_cast<std::size_t>(i)];
}

void TQVXIrSubFunction::SetSelectors(const std::uint8_t* bytes, int count) {
  if (bytes == nullptr || count <= 0) {
    selectors_.clear();
    return;
  }
  selectors_.assign(bytes, bytes + count);
}

void TQVXIrSubFunction::SetHeaderAndBody(const std::uint8_t* header, int hcount, const std::uint8_t* body, int bcount) {
  if (hcount < 0 || header == nullptr) hcount = 0;
  if (bcount < 0 || body == nullptr) bcount = 0;
  if (hcount == 0 && bcount == 0) {
    selectors_.clear();
    return;
  }
  std::vector<std::uint8_t> joined;
  joined.reserve(static_cast<std::size_t>(hcount + bcount));
  joined.insert(joined.end(), header, header + hcount);
  joined.insert(joined.end(), body, body + bcount);
  selectors_ = std::move(joined);
  header_count_ = static_cast<std::uint8_t>(hcount);
  body_count_ = static_cast<std::uint8_t>(bcount);
}

std::uint8_t TQVXIrSubFunction::GetSelector(int i) const {
  if (i < 0 || i >= GetSelectorCount()) return 0;
  return selectors_[static_cast<std::size_t>(i)];
}

int TQVXIrSubFunction::GetCarrierHz() const {
  if (divider_ == 0) throw TQVXIrException(TQVXIrException::kCorruptFile);
  return 66000000 / divider_;
}

int TQVXIrSubFunction::GetStoredSize() const { return 10 + 2 * (counts_ & 0x0F) + header_count_ + body_count_; }

int TQVXIrSubFunction::Write(TQVXIrSaveStream& stream) const {
  const int length = GetStoredSize();
  if (length > kMaxRecordLength) throw TQVXIrException(TQVXIrException::kRuntimeError);
  const int timeCount = counts_ & 0x0F;
  int written = 0;
  written += stream.WritePlainByte(length);
  written += stream.WriteByte(flags_);
  written += stream.Write16(divider_);
  written += stream.Write16(granularity_);
  written += stream.WriteByte(header_count_);
  written += stream.WriteByte(body_count_);
  // Without a body there is nothing to repeat: the repeat count is dropped.
  written += stream.WriteByte(body_count_ > 0 ? counts_ : timeCount);
  // The record holds exactly as many values as its counts announce, so the
  // length and the offsets computed from it always agree with the bytes.
  for (int i = 0; i < timeCount; ++i) written += stream.Write16(GetTime(i));
  const int selectorCount = header_count_ + body_count_;
  for (int i = 0; i < selectorCount; ++i) written += stream.WriteByte(GetSelector(i));
  written += stream.WriteByte(kEndMarker);
  return written;
}

bool TQVXIrSubFunction::ValuesMatch(unsigned a, unsigned b, double tolerance) {
  if (a == b) return true;
  if (a == 0 || b == 0) return false;
  const double lo = std::min(a, b);
  const double hi = std::max(a, b);
  // (100 * min) / max, in this order, so 37620 against 38000 is exactly 1 %.
  return tolerance >= 100.0 - (100.0 * lo) / hi;
}

bool TQVXIrSubFunction::Matches(const TQVXIrSubFunction* other, float timeTolerance, float dividerTolerance) const {
  if (other == nullptr || granularity_ != other->granularity_) return false;
  if (!ValuesMatch(divider_, other->divider_, dividerTolerance)) return false;
  if (header_count_ != other->header_count_ || body_count_ != other->body_count_ ||
      selectors_.size() != other->selectors_.size())
    return false;
  if (times_.empty() != other->times_.empty() || selectors_.empty() != other->selectors_.empty()) return false;
  const std::size_t ownTimes = times_.size();
  const std::size_t otherTimes = other->times_.size();
  for (std::size_t i = 0; i < selectors_.size(); ++i) {
    const unsigned a = selectors_[i];
    const unsigned b = other->selectors_[i];
    if ((a & 0x0F) >= ownTimes || (a >> 4) >= ownTimes || (b & 0x0F) >= otherTimes || (b >> 4) >= otherTimes)
      return false;
    if (!ValuesMatch(times_[a & 0x0F], other->times_[b & 0x0F], timeTolerance)) return false;
    if (!ValuesMatch(times_[a >> 4], other->times_[b >> 4], timeTolerance)) return false;
  }
  return true;
}

}  // namespace quillon
