#pragma once
// Reads the driver file layout from a named file.
#include <cstdint>
#include <cstdio>
#include <string>

#include "irmodel/TQVXIrLoadStream.h"

namespace quillon {

class TQVXIrLoadFile : public TQVXIrLoadStream {
 public:
  explicit TQVXIrLoadFile(const char* path, bool flag = false);
  ~TQVXIrLoadFile() override;

  // Opens the file for binary reading and takes its size; false on failure.
  bool Open();
  void Close();
  bool IsOpen() const { return file_ != nullptr; }

  std::int64_t Seek(std::int64_t position) override;
  std::int64_t Tell() const override;
  bool AtEnd() const override;
  std::int64_t GetSize() const override;
  int ReadPlainByte() override;
  int ReadBlock(std::uint8_t* buffer, int count) override;
  int ReadByte() override;
  void SetChain(int value) override { chain_ = static_cast<std::uint8_t>(value); }

 private:
  int ReadRaw();

  std::string path_;
  std::FILE* file_ = nullptr;
  std::int64_t size_ = 0;
  std::int64_t pos_ = 0;
  std::uint8_t chain_ = 0;
};

}  // namespace quillon
