// "lzss": compress or expand a whole file with the archives' LZSS codec
// (raw stream: no header, length or checksum).
#include <memory>
#include <string>
#include <vector>

#include "filetools/LzssOperations.h"
#include "tools/cli/CliCommand.h"

namespace quillon::cli {
namespace {

std::string Encode(const std::string& in) {
  if (in.empty()) return {};
  if (in.size() > 0x70000000u) throw CliError("too large for the codec (1.75 GiB at most)");
  const auto* data = reinterpret_cast<const uint8_t*>(in.data());
  // One pass into a buffer of the worst case: every unit a literal, one
  // flag byte per eight.
  std::string out(in.size() + in.size() / 8 + 2, '\0');
  int32_t length = static_cast<int32_t>(out.size());
  if (!filetools::EncodeMemToMem(data, static_cast<int32_t>(in.size()), reinterpret_cast<uint8_t*>(out.data()),
                                 &length))
    throw CliError("cannot be compressed");
  out.resize(static_cast<size_t>(length));
  return out;
}

std::string Decode(const std::string& in) {
  if (in.empty()) return {};
  if (in.size() > 0x7FFFFFF0u) throw CliError("too large for the codec (2 GiB at most)");
  const auto* data = reinterpret_cast<const uint8_t*>(in.data());
  const int64_t size = filetools::BufferDecodedSize(data, static_cast<int32_t>(in.size()));
  if (size < 0) throw CliError("cannot be expanded: the result would exceed 2 GiB");
  if (size == 0) return {};
  std::string out(static_cast<size_t>(size), '\0');
  int32_t length = static_cast<int32_t>(size);
  if (!filetools::DecodeMemToMem(data, static_cast<int32_t>(in.size()), reinterpret_cast<uint8_t*>(out.data()),
                                 &length) ||
      length != size)
    throw CliError("not an LZSS stream that can be expanded");
  return out;
}

void RegisterLzss(CLI::App& app) {
  CLI::App& group = Group(app, "lzss", "Compress or expand files with the archives' LZSS codec");
  for (const bool encode : {true, false}) {
    auto* cmd = group.add_subcommand(encode ? "encode" : "decode",
                                     encode ? "Compress IN into the raw LZSS stream OUT"
                                            : "Expand the raw LZSS stream IN into OUT");
    auto in = std::make_shared<std::string>();
    auto out = std::make_shared<std::string>();
    auto force = std::make_shared<bool>(false);
    cmd->add_option("IN", *in, "Input file; - reads standard input")->required();
    cmd->add_option("OUT", *out, "Output file; - writes standard output")->required();
    AddForceFlag(cmd, *force);
    cmd->callback([=] {
      CheckOutput(*out, *force);
      const std::string bytes = ReadFileBytes(*in);
      const std::string shown = *in == "-" ? std::string("standard input") : *in;
      std::string result;
      try {
        result = encode ? Encode(bytes) : Decode(bytes);
      } catch (const CliError& e) {
        throw CliError(shown + ": " + e.what());
      }
      WriteFileBytes(*out, result);
    });
  }
}

}  // namespace
}  // namespace quillon::cli

QUILLON_CLI_GROUP(lzss, quillon::cli::RegisterLzss);
