#include "signals/TIrFileFormat.h"

#include <cctype>
#include <stdexcept>

#include "signals/TIrLircFile.h"
#include "signals/TIrProntoFile.h"
#include "signals/TIrRawTextFile.h"
#include "signals/TIrSignalsFile.h"

namespace quillon {
namespace {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

const char* TIrFileFormat::Name(TIrFormat format) {
  switch (format) {
    case TIrFormat::Driver: return "vir";
    case TIrFormat::Signals: return "ir";
    case TIrFormat::Pronto: return "pronto";
    case TIrFormat::Lirc: return "lirc";
    case TIrFormat::Raw: return "raw";
  }
  return "";
}

std::optional<TIrFormat> TIrFileFormat::FromName(std::string_view name) {
  const std::string n = Lower(name);
  for (TIrFormat f : {TIrFormat::Driver, TIrFormat::Signals, TIrFormat::Pronto, TIrFormat::Lirc, TIrFormat::Raw}) {
    if (n == Name(f)) return f;
  }
  return std::nullopt;
}

std::optional<TIrFormat> TIrFileFormat::FromPath(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  const std::string_view base = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::size_t dot = base.find_last_of('.');
  if (dot == std::string_view::npos) return std::nullopt;
  const std::string ext = Lower(base.substr(dot + 1));
  if (ext == "vir") return TIrFormat::Driver;
  if (ext == "ir") return TIrFormat::Signals;
  if (ext == "pronto" || ext == "txt") return TIrFormat::Pronto;
  if (ext == "conf") return TIrFormat::Lirc;
  if (ext == "raw") return TIrFormat::Raw;
  return std::nullopt;
}

std::string TIrFileFormat::Filter(TIrFormat format) {
  switch (format) {
    case TIrFormat::Driver: return "Velmor IR Drivers (*.vir)";
    case TIrFormat::Signals: return "IR signal files (*.ir)";
    case TIrFormat::Pronto: return "Pronto Hex codes (*.pronto *.txt)";
    case TIrFormat::Lirc: return "LIRC remote definitions (*.conf)";
    case TIrFormat::Raw: return "Raw timing text (*.raw)";
  }
  return "";
}

TIrParsedFile TIrFileFormat::Parse(TIrFormat format, std::string_view text, const std::string& file) {
  switch (format) {
    case TIrFormat::Signals: return TIrSignalsFile::Parse(text, file);
    case TIrFormat::Pronto: return TIrProntoFile::Parse(text, file);
    case TIrFormat::Lirc: return TIrLircFile::Parse(text, file);
    case TIrFormat::Raw: return TIrRawTextFile::Parse(text, file);
    case TIrFormat::Driver: break;
  }
  throw std::invalid_argument("a driver file is not a text interchange format");
}

std::string TIrFileFormat::Write(TIrFormat format, const std::vector<TIrNamedSignal>& entries, const std::string& remote,
                                 std::vector<std::string>& notes) {
  switch (format) {
    case TIrFormat::Signals: return TIrSignalsFile::Write(entries, notes);
    case TIrFormat::Pronto: return TIrProntoFile::Write(entries, notes);
    case TIrFormat::Lirc: return TIrLircFile::Write(entries, remote, notes);
    case TIrFormat::Raw: return TIrRawTextFile::Write(entries, notes);
    case TIrFormat::Driver: break;
  }
  throw std::invalid_argument("a driver file is not a text interchange format");
}

}  // namespace quillon
