#include "signals/TIrInterchangeFile.h"

#include "irmodel/CDriverDoc.h"
#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrHeaderEntry.h"
#include "platform/Cp1252.h"
#include "platform/SafeFile.h"
#include "signals/TIrTextReader.h"

namespace quillon {
namespace {

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// The patterns of a filter line: "IR signal files (*.ir)" -> "*.ir".
std::string_view Patterns(std::string_view filter) {
  const std::size_t open = filter.rfind('(');
  const std::size_t close = filter.rfind(')');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return {};
  return filter.substr(open + 1, close - open - 1);
}

std::string Functions(int count) { return std::to_string(count) + (count == 1 ? " function" : " functions"); }

// Left-out entries and the notes, as the end of a summary; NOTE names one
// note ("name changed" for an import, whose notes are renamed functions).
std::string Remarks(const TIrInterchange::Outcome& outcome, const std::string& note, const std::string& notes) {
  std::string text;
  const std::size_t left = outcome.warnings.size(), noted = outcome.notes.size();
  if (left > 0) text += " " + std::to_string(left) + (left == 1 ? " entry" : " entries") + " left out or altered.";
  if (noted > 0) text += " " + std::to_string(noted) + " " + (noted == 1 ? note : notes) + ".";
  return text;
}

}  // namespace

const std::vector<TIrFormat>& TIrInterchangeFile::Formats() {
  static const std::vector<TIrFormat> formats = {TIrFormat::Signals, TIrFormat::Pronto, TIrFormat::Lirc,
                                                 TIrFormat::Raw};
  return formats;
}

std::string TIrInterchangeFile::ImportFilter() {
  std::string all;
  for (TIrFormat format : Formats()) {
    const std::string patterns(Patterns(TIrFileFormat::Filter(format)));
    all += (all.empty() ? "" : " ") + patterns;
  }
  std::string filter = "IR interchange files (" + all + ")";
  for (TIrFormat format : Formats()) filter += ";;" + TIrFileFormat::Filter(format);
  return filter + ";;All Files (*)";
}

std::string TIrInterchangeFile::ExportFilter() {
  std::string filter;
  for (TIrFormat format : Formats()) filter += (filter.empty() ? "" : ";;") + TIrFileFormat::Filter(format);
  return filter;
}

std::optional<TIrFormat> TIrInterchangeFile::FormatOfFilter(std::string_view filter) {
  for (TIrFormat format : Formats()) {
    if (filter == TIrFileFormat::Filter(format)) return format;
  }
  return std::nullopt;
}

TIrInterchangeFile::Source TIrInterchangeFile::Read(const std::string& path, std::optional<TIrFormat> fallback) {
  Source source;
  source.path = path;
  const std::optional<TIrFormat> named = TIrFileFormat::FromPath(path);
  if (named == TIrFormat::Driver) throw Error(path + ": a driver, not an interchange file (open it with File > Open)");
  if (!named && !fallback) {
    throw Error(path + ": not a file Quillon can import (.ir, .pronto, .txt, .conf or .raw)");
  }
  source.format = named ? *named : *fallback;
  std::string text;
  try {
    const std::vector<std::uint8_t> bytes = ReadFileSafely(path, TIrTextReader::kMaxTextSize);
    text.assign(bytes.begin(), bytes.end());
  } catch (const SafeFileError& e) {
    throw Error(e.what());
  }
  try {
    source.parsed = TIrFileFormat::Parse(source.format, text, BaseName(path));
  } catch (const TIrFormatError& e) {
    throw Error(path + ":" + std::to_string(e.Line()) + ": " + e.Reason());
  }
  if (source.parsed.entries.empty()) {
    throw Error(path + ": holds no IR signal that could be read", source.parsed.messages);
  }
  return source;
}

TIrInterchange::Outcome TIrInterchangeFile::Import(CDriverDoc& doc, const Source& source, TIrCaptureKind kind) {
  return TIrInterchange::ImportParsed(doc, source.parsed, BaseName(source.path), kind);
}

std::string TIrInterchangeFile::ExportPath(const std::string& path, TIrFormat format) {
  const std::optional<TIrFormat> named = TIrFileFormat::FromPath(path);
  if (named && *named != TIrFormat::Driver) return path;
  const std::string filter = TIrFileFormat::Filter(format);  // the view below points into it
  std::string_view patterns = Patterns(filter);                // "*.pronto *.txt": the first
  const std::size_t dot = patterns.find('.');
  const std::size_t end = patterns.find(' ');
  if (dot == std::string_view::npos) return path;
  return path + std::string(patterns.substr(dot, end == std::string_view::npos ? end : end - dot));
}

TIrInterchange::Outcome TIrInterchangeFile::Export(const TQVXIr& driver, const std::string& path,
                                                   const std::vector<int>& positions, const std::string& remote) {
  const std::optional<TIrFormat> format = TIrFileFormat::FromPath(path);
  if (!format || *format == TIrFormat::Driver) {
    throw Error(path + ": not a file Quillon can export to (.ir, .pronto, .txt, .conf or .raw)");
  }
  TIrInterchange::Outcome outcome;
  std::string text;
  try {
    text = TIrInterchange::ExportText(driver, *format, remote, TIrExporter::Options{}, outcome, positions);
  } catch (const std::invalid_argument& e) {
    throw Error(path + ": " + e.what());
  }
  try {
    WriteFileSafely(path, text);
  } catch (const SafeFileError& e) {
    throw Error(e.what());
  }
  return outcome;
}

std::string TIrInterchangeFile::RemoteName(const TQVXIr& driver, const std::string& fallback) {
  const char* maker = driver.GetHeader().GetText(TQVXIrHeaderEntry::kDeviceManufacturer);
  const char* model = driver.GetHeader().GetText(TQVXIrHeaderEntry::kDeviceModel);
  std::string name = Cp1252ToUtf8(maker ? maker : "");
  if (model != nullptr && *model != '\0') name += (name.empty() ? "" : "_") + Cp1252ToUtf8(model);
  return name.empty() ? fallback : name;
}

std::string TIrInterchangeFile::ImportSummary(const TIrInterchange::Outcome& outcome, const std::string& file) {
  return Functions(outcome.functions) + " imported from " + BaseName(file) + "." +
         Remarks(outcome, "name changed", "names changed");
}

std::string TIrInterchangeFile::ExportSummary(const TIrInterchange::Outcome& outcome, const std::string& file) {
  return Functions(outcome.functions) + " exported to " + BaseName(file) + "." + Remarks(outcome, "note", "notes");
}

}  // namespace quillon
