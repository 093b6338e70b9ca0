#include "filetools/CVmArchiveFormat.h"

#include <ctime>

namespace quillon::filetools {
namespace {

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t Get32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

void PutString(std::vector<uint8_t>& out, const std::string& s) {
  Put32(out, static_cast<uint32_t>(s.size()));
  out.insert(out.end(), s.begin(), s.end());
}

class Reader {
 public:
  Reader(const uint8_t* data, size_t length) : data_(data), length_(length) {}
  bool U32(uint32_t& v) {
    if (length_ - at_ < 4) return false;
    v = Get32(data_ + at_);
    at_ += 4;
    return true;
  }
  bool U8(uint8_t& v) {
    if (length_ - at_ < 1) return false;
    v = data_[at_++];
    return true;
  }
  bool String(std::string& s) {
    uint32_t n = 0;
    if (!U32(n) || n > length_ - at_) return false;
    s.assign(reinterpret_cast<const char*>(data_ + at_), n);
    at_ += n;
    return true;
  }
  size_t Left() const { return length_ - at_; }

 private:
  const uint8_t* data_;
  size_t length_;
  size_t at_ = 0;
};

// Smallest entry record: three empty strings, the time, size, flag word,
// stored size and data offset.
constexpr size_t kMinEntry = 3 * 4 + 9 * 4 + 4 + 4 + 4 + 4;

}  // namespace

bool CVmArchiveHeader::HasValidMagicAndKind() const {
  return magic == kMagic && (kind == kKindPkg || kind == kKindPke || kind == kKindPki || kind == kKindPku);
}

void CVmArchiveHeader::ApplyVersionRule() {
  if (major == 0 && minor == 5) {
    major = 5;
    minor = 0;
  }
}

CVmArchiveHeader CVmArchiveHeader::Parse(const uint8_t* b) {
  CVmArchiveHeader h;
  h.magic = Get32(b);
  h.kind = Get32(b + 4);
  h.major = static_cast<uint16_t>(b[8] | (b[9] << 8));
  h.minor = static_cast<uint16_t>(b[10] | (b[11] << 8));
  h.origin = b[16];
  h.directoryOffset = Get32(b + 28);
  return h;
}

std::vector<uint8_t> CVmArchiveHeader::Serialize() const {
  std::vector<uint8_t> out;
  out.reserve(kSize);
  Put32(out, magic);
  Put32(out, kind);
  out.push_back(static_cast<uint8_t>(major));
  out.push_back(static_cast<uint8_t>(major >> 8));
  out.push_back(static_cast<uint8_t>(minor));
  out.push_back(static_cast<uint8_t>(minor >> 8));
  Put32(out, 0);
  out.push_back(origin);
  out.insert(out.end(), 11, 0);
  Put32(out, directoryOffset);
  return out;
}

std::vector<uint8_t> CVmArchiveFormat::SerializeDirectory(const std::vector<CVmArchiveEntry>& entries,
                                                          const std::string& notes) {
  std::vector<uint8_t> out;
  Put32(out, static_cast<uint32_t>(entries.size()));
  for (const CVmArchiveEntry& e : entries) {
    PutString(out, e.name);
    PutString(out, e.secondText);
    PutString(out, e.thirdText);
    for (uint32_t t : e.time) Put32(out, t);
    Put32(out, e.size);
    out.push_back(e.compressed);
    out.push_back(e.minorVersion);
    out.push_back(e.majorVersion);
    out.push_back(e.origin);
    Put32(out, e.storedSize);
    Put32(out, e.dataOffset);
  }
  PutString(out, notes);
  return out;
}

bool CVmArchiveFormat::ParseDirectory(const uint8_t* data, size_t length, std::vector<CVmArchiveEntry>& entries,
                                      std::string& notes) {
  entries.clear();
  notes.clear();
  Reader r(data, length);
  uint32_t count = 0;
  if (!r.U32(count) || count > r.Left() / kMinEntry) return false;
  entries.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    CVmArchiveEntry e;
    std::string name;
    if (!r.String(name) || !r.String(e.secondText) || !r.String(e.thirdText)) return false;
    for (uint32_t& t : e.time)
      if (!r.U32(t)) return false;
    if (!r.U32(e.size) || !r.U8(e.compressed) || !r.U8(e.minorVersion) || !r.U8(e.majorVersion) || !r.U8(e.origin) ||
        !r.U32(e.storedSize) || !r.U32(e.dataOffset))
      return false;
    SetName(e, name);
    entries.push_back(std::move(e));
  }
  // The notes string; a directory that ends before it carries no notes.
  if (r.Left() > 0 && !r.String(notes)) return false;
  return true;
}

uint64_t CVmArchiveFormat::MaxDecodedSize(uint64_t stored) {
  // A group of 17 bytes (flag and eight copies) yields 144 bytes; shorter
  // groups yield less per byte. 9 per byte plus one copy bounds every stream.
  return stored * 9 + 18;
}

std::u16string CVmArchiveFormat::NormalizeName(std::u16string_view name) {
  const size_t cut = name.find_last_of(u"\\/");
  std::u16string_view file = cut == std::u16string_view::npos ? name : name.substr(cut + 1);
  if (cut == std::u16string_view::npos && file.size() >= 2 && file[1] == u':') file = file.substr(2);
  const size_t dot = file.find_last_of(u'.');
  std::u16string base(dot == std::u16string_view::npos ? file : file.substr(0, dot));
  std::u16string ext(dot == std::u16string_view::npos ? std::u16string_view() : file.substr(dot));
  if (base.size() > 256) base.resize(256);
  if (ext.size() > 256) ext.resize(256);
  return base + ext;
}

void CVmArchiveFormat::SetName(CVmArchiveEntry& entry, const std::string& ansiName) {
  entry.name = ansiName;
  const size_t dot = ansiName.find_last_of('.');
  entry.baseName = dot == std::string::npos ? ansiName : ansiName.substr(0, dot);
  entry.extension = dot == std::string::npos ? std::string() : ansiName.substr(dot);
}

std::array<uint32_t, 9> CVmArchiveFormat::TimeFields(int64_t unixSeconds) {
  const std::time_t t = static_cast<std::time_t>(unixSeconds);
  std::tm tm{};
  gmtime_r(&t, &tm);
  return {static_cast<uint32_t>(tm.tm_sec),  static_cast<uint32_t>(tm.tm_min),
          static_cast<uint32_t>(tm.tm_hour), static_cast<uint32_t>(tm.tm_mday),
          static_cast<uint32_t>(tm.tm_mon + 1), static_cast<uint32_t>(tm.tm_year),
          static_cast<uint32_t>(tm.tm_wday), 0u, 0u};
}

}  // namespace quillon::filetools
