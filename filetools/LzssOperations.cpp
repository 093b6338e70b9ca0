#include "filetools/LzssOperations.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <memory>

#include "filetools/CLzssCodec.h"
#include "filetools/CLzssException.h"
#include "filetools/LzssByteSink.h"
#include "filetools/LzssByteSource.h"
#include "platform/SafeFile.h"

namespace quillon::filetools {
namespace {

// Closes the descriptor on every path.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  int Get() const { return fd_; }
  bool Ok() const { return fd_ >= 0; }

 private:
  int fd_;
};

int OpenRead(const std::string& path) { return open(path.c_str(), O_RDONLY | O_CLOEXEC); }

int64_t FileSizeOf(int fd) {
  struct stat st{};
  return fstat(fd, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

int32_t Clamp(int64_t n) { return n > INT32_MAX ? INT32_MAX : static_cast<int32_t>(n); }

// The codec object is large; one per operation, kept off small thread stacks.
std::unique_ptr<CLzssCodec> NewCodec() { return std::make_unique<CLzssCodec>(); }

template <class Source>
int EncodeIntoMem(Source& source, uint8_t* out, int32_t* outLength) {
  try {
    LzssBoundedMemorySink sink(out, *outLength);
    NewCodec()->Encode(source, sink);
    *outLength = Clamp(sink.Count());
    return 1;
  } catch (...) {
    *outLength = 0;
    return 0;
  }
}

template <class Source>
int DecodeIntoMem(Source& source, uint8_t* out, int32_t* outLength) {
  try {
    LzssBoundedMemorySink sink(out, *outLength);
    NewCodec()->Decode(source, sink);
    *outLength = Clamp(sink.Count());
    return 1;
  } catch (...) {
    *outLength = 0;
    return 0;
  }
}

}  // namespace

int EncodeMemToMem(const uint8_t* in, int32_t inLength, uint8_t* out, int32_t* outLength) {
  if (!in || inLength <= 0 || !out || !outLength || *outLength <= 0) return 0;
  LzssMemorySource source(in, inLength);
  return EncodeIntoMem(source, out, outLength);
}

int EncodeFileToMem(const std::string& inPath, uint8_t* out, int32_t* outLength) {
  if (inPath.empty() || !out || !outLength || *outLength <= 0) return 0;
  try {
    Fd fd(OpenRead(inPath));
    if (!fd.Ok()) return 0;
    LzssFileSource source(fd.Get(), -1);
    return EncodeIntoMem(source, out, outLength);
  } catch (...) {
    *outLength = 0;
    return 0;
  }
}

int EncodeMemToFile(const uint8_t* in, int32_t inLength, const std::string& outPath, int32_t* outLength) {
  if (!in || inLength <= 0 || outPath.empty() || !outLength) return 0;
  *outLength = 0;
  try {
    SafeFileWriter out(outPath);
    LzssMemorySource source(in, inLength);
    LzssFileSink sink(out.Fd());
    NewCodec()->Encode(source, sink);
    if (!sink.Flush()) return 0;
    out.Commit();
    *outLength = Clamp(sink.Count());
    return 1;
  } catch (...) {
    *outLength = 0;
    return 0;
  }
}

int EncodeMemToHandle(const uint8_t* in, int32_t inLength, int fd, int32_t* outLength) {
  if (!in || inLength <= 0 || fd < 0 || !outLength) return 0;
  *outLength = 0;
  try {
    const off_t before = lseek(fd, 0, SEEK_CUR);
    if (before < 0) return 0;
    LzssMemorySource source(in, inLength);
    LzssFileSink sink(fd);
    NewCodec()->Encode(source, sink);
    if (!sink.Flush()) return 0;
    const off_t after = lseek(fd, 0, SEEK_CUR);
    if (after < before) return 0;
    *outLength = Clamp(after - before);
    return 1;
  } catch (...) {
    *outLength = 0;
    return 0;
  }
}

int EncodeFileToFile(const std::string& inPath, const std::string& outPath, int32_t* outLength) {
  if (inPath.empty() || outPath.empty() || !outLength) return 0;
  *outLength = 0;
  try {
    Fd in(OpenRead(inPath));
    if (!in.Ok()) return 0;
    SafeFileWriter out(outPath);
    LzssFileSource source(in.Get(), -1);
    LzssFileSink sink(out.Fd());
    NewCodec()->Encode(source, sink);
    if (!sink.Flush()) return 0;
    out.Commit();
    *outLength = Clamp(sink.Count());
    return 1;
  } catch (...) {
    *outLength = 0;
    return 0;
  }
}

int DecodeFileToMem(const std::string& inPath, uint8_t* out, int32_t* outLength) {
  if (inPath.empty() || !out || !outLength || *outLength <= 0) return 0;
  try {
    Fd fd(OpenRead(inPath));
    if (!fd.Ok()) return 0;
    LzssFileSource source(fd.Get(), -1);
    if (source.Limit() == 0) throw CLzssException("LZSS Source File Is Empty");
    return DecodeIntoMem(source, out, outLength);
  } catch (...) {
    *outLength = 0;
    return 0;
  }
}

int DecodeHandleToMem(int fd, int32_t count, uint8_t* out, int32_t* outLength) {
  if (fd < 0 || count == 0 || count < -1 || !out || !outLength || *outLength <= 0) return 0;
  try {
    LzssFileSource source(fd, count);
    return DecodeIntoMem(source, out, outLength);
  } catch (...) {
    *outLength = 0;
    return 0;
  }
}

int DecodeFileToFile(const std::string& inPath, const std::string& outPath, int32_t* outLength) {
  if (inPath.empty() || outPath.empty() || !outLength) return 0;
  *outLength = 0;
  try {
    Fd in(OpenRead(inPath));
    if (!in.Ok()) return 0;
    LzssFileSource source(in.Get(), -1);
    if (source.Limit() == 0) throw CLzssException("LZSS Source File Is Empty");
    SafeFileWriter out(outPath);
    LzssFileSink sink(out.Fd());
    NewCodec()->Decode(source, sink);
    if (!sink.Flush()) return 0;
    out.Commit();
    *outLength = Clamp(sink.Count());
    return 1;
  } catch (...) {
    *outLength = 0;
    return 0;
  }
}

int DecodeHandleToFile(int fd, int32_t count, const std::string& outPath, int32_t* outLength) {
  if (fd < 0 || count == 0 || count < -1 || outPath.empty() || !outLength) return 0;
  *outLength = 0;
  try {
    SafeFileWriter out(outPath);
    LzssFileSource source(fd, count);
    LzssFileSink sink(out.Fd());
    NewCodec()->Decode(source, sink);
    if (!sink.Flush()) return 0;
    out.Commit();
    *outLength = Clamp(sink.Count());
    return 1;
  } catch (...) {
    *outLength = 0;
    return 0;
  }
}

int DecodeMemToFile(const uint8_t* in, int32_t inLength, const std::string& outPath, int32_t* outLength) {
  if (!in || inLength <= 0 || outPath.empty() || !outLength) return 0;
  *outLength = 0;
  try {
    SafeFileWriter out(outPath);
    LzssMemorySource source(in, inLength);
    LzssFileSink sink(out.Fd());
    NewCodec()->Decode(source, sink);
    if (!sink.Flush()) return 0;
    out.Commit();
    *outLength = Clamp(sink.Count());
    return 1;
  } catch (...) {
    *outLength = 0;
    return 0;
  }
}

int DecodeMemToMem(const uint8_t* in, int32_t inLength, uint8_t* out, int32_t* outLength) {
  if (!in || inLength <= 0 || !out || !outLength || *outLength <= 0) return 0;
  LzssMemorySource source(in, inLength);
  return DecodeIntoMem(source, out, outLength);
}

int32_t FileCompressedSize(const std::string& path) {
  if (path.empty()) return 0;
  try {
    Fd fd(OpenRead(path));
    if (!fd.Ok() || FileSizeOf(fd.Get()) > INT32_MAX) return 0;
    LzssFileSource source(fd.Get(), -1);
    LzssCountingSink sink;
    NewCodec()->Encode(source, sink);
    return Clamp(sink.Count());
  } catch (...) {
    return 0;
  }
}

int32_t BufferCompressedSize(const uint8_t* in, int32_t inLength) {
  if (!in || inLength <= 0) return 0;
  try {
    LzssMemorySource source(in, inLength);
    LzssCountingSink sink;
    NewCodec()->Encode(source, sink);
    return Clamp(sink.Count());
  } catch (...) {
    return 0;
  }
}

int64_t FileDecodedSize(const std::string& path) {
  if (path.empty()) return -1;
  try {
    Fd fd(OpenRead(path));
    if (!fd.Ok()) return -1;
    LzssFileSource source(fd.Get(), -1);
    LzssCountingSink sink;
    NewCodec()->Decode(source, sink);
    return sink.Count() > INT32_MAX ? -1 : sink.Count();
  } catch (...) {
    return -1;
  }
}

int64_t BufferDecodedSize(const uint8_t* in, int32_t inLength) {
  if (!in || inLength < 0) return -1;
  try {
    LzssMemorySource source(in, inLength);
    LzssCountingSink sink;
    NewCodec()->Decode(source, sink);
    return sink.Count() > INT32_MAX ? -1 : sink.Count();
  } catch (...) {
    return -1;
  }
}

}  // namespace quillon::filetools
