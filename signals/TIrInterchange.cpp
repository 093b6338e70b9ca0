#include "signals/TIrInterchange.h"

#include <algorithm>
#include <stdexcept>

#include "irmodel/CDriverDoc.h"
#include "irmodel/TQVXIr.h"
#include "platform/Cp1252.h"
#include "signals/TIrImporter.h"

namespace quillon {

TIrInterchange::Outcome TIrInterchange::ImportText(CDriverDoc& doc, TIrFormat format, std::string_view text,
                                                   const std::string& file, TIrCaptureKind kind) {
  return ImportParsed(doc, TIrFileFormat::Parse(format, text, file), file, kind);
}

TIrInterchange::Outcome TIrInterchange::ImportParsed(CDriverDoc& doc, const TIrParsedFile& parsed,
                                                     const std::string& file, TIrCaptureKind kind) {
  const std::string name = file.substr(file.find_last_of('/') + 1);
  const CDriverDoc::EditScope edit(doc, "Import " + Utf8ToCp1252(name).value_or(name));
  Outcome outcome;
  outcome.warnings = parsed.messages;
  const TIrImporter::Report report = TIrImporter(kind).Import(parsed.entries, doc.GetDriver(), file);
  outcome.functions = report.imported;
  outcome.notes = report.notes;
  outcome.warnings.insert(outcome.warnings.end(), report.warnings.begin(), report.warnings.end());
  if (report.imported > 0) {
    // Functions that carry a standard command's name take its position.
    doc.ApplyDeviceCommandList(false);
    doc.SetModifiedFlag(true);
  }
  return outcome;
}

std::string TIrInterchange::ExportText(const TQVXIr& driver, TIrFormat format, const std::string& remote,
                                       const TIrExporter::Options& options, Outcome& outcome,
                                       const std::vector<int>& positions) {
  TQVXIr chosen;
  if (positions.empty()) {
    chosen.Assign(driver);
  } else {
    for (int i : positions) {
      if (const TQVXIrFunction* f = driver.GetFunction(i)) chosen.AppendCopy(*f);
    }
  }
  const std::vector<TIrNamedSignal> entries = TIrExporter::Collect(chosen, options, outcome.notes, outcome.warnings);
  if (entries.empty()) throw std::invalid_argument("no function with IR data to export");
  outcome.functions = static_cast<int>(entries.size());
  return TIrFileFormat::Write(format, entries, remote, outcome.notes);
}

}  // namespace quillon
