#pragma once
// The codec operations: LZSS between memory, files and open file handles.
// Each answers 1 on success and 0 on failure and never throws. Arguments
// are checked first: an empty file name, a null buffer, a zero (or
// negative) length or a zero output capacity fail without any effect.
// In/out lengths carry the output capacity in and the bytes placed out; an
// output buffer that is too small cuts the stream silently at its capacity.
// File names are UTF-8 paths; targets are created or replaced through the
// shared safe writer (a failure leaves an existing target as it was; a
// symbolic link keeps pointing at the new file; devices and pipes are written
// directly). Handles are POSIX file descriptors used from their current
// position.
#include <cstdint>
#include <string>

namespace quillon::filetools {

int EncodeMemToMem(const uint8_t* in, int32_t inLength, uint8_t* out, int32_t* outLength);
int EncodeFileToMem(const std::string& inPath, uint8_t* out, int32_t* outLength);
// outLength: bytes written to the target (0 first).
int EncodeMemToFile(const uint8_t* in, int32_t inLength, const std::string& outPath, int32_t* outLength);
// outLength: bytes written (position after minus position before).
int EncodeMemToHandle(const uint8_t* in, int32_t inLength, int fd, int32_t* outLength);
// outLength: compressed size.
int EncodeFileToFile(const std::string& inPath, const std::string& outPath, int32_t* outLength);

// An empty source file fails.
int DecodeFileToMem(const std::string& inPath, uint8_t* out, int32_t* outLength);
// count: bytes to read from the handle, -1 for all up to the end.
int DecodeHandleToMem(int fd, int32_t count, uint8_t* out, int32_t* outLength);
// outLength: bytes written. An empty source file fails.
int DecodeFileToFile(const std::string& inPath, const std::string& outPath, int32_t* outLength);
int DecodeHandleToFile(int fd, int32_t count, const std::string& outPath, int32_t* outLength);
// outLength: bytes written to the target.
int DecodeMemToFile(const uint8_t* in, int32_t inLength, const std::string& outPath, int32_t* outLength);
int DecodeMemToMem(const uint8_t* in, int32_t inLength, uint8_t* out, int32_t* outLength);

// Compressed sizes through a counting sink: 0 when the file cannot be
// opened (or is larger than 2 GiB), for a null buffer or a length <= 0.
int32_t FileCompressedSize(const std::string& path);
int32_t BufferCompressedSize(const uint8_t* in, int32_t inLength);

// Decoded sizes through a counting sink, -1 when the file cannot be opened
// or the result would exceed 2 GiB; 0 for an empty stream.
int64_t FileDecodedSize(const std::string& path);
int64_t BufferDecodedSize(const uint8_t* in, int32_t inLength);

}  // namespace quillon::filetools
