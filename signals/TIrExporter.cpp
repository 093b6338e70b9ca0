#include "signals/TIrExporter.h"

#include <algorithm>

#include "capture/TIrRenderCheck.h"
#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrFunction.h"
#include "platform/Cp1252.h"
#include "signals/TIrDecoder.h"
#include "signals/TIrEncoder.h"
#include "signals/TIrSignalRender.h"

namespace quillon {

std::optional<TIrCode> TIrExporter::CodeOf(const TQVXIrFunction& function) {
  const TIrSignal played = TIrSignalRender::FromFunction(function);
  if (played.Empty() || played.carrier_hz == 0) return std::nullopt;
  const TIrCode code = TIrDecoder::Decode(played);
  if (!code.Known()) return std::nullopt;
  const TIrSignal sent = TIrEncoder::Encode(code);
  // The code's first frame without its closing pause, which may differ.
  const std::vector<uint32_t>& first = sent.once.empty() ? sent.repeat : sent.once;
  const int frame = static_cast<int>(first.size()) - 1;
  if (!TIrRenderCheck::Compare(played.Flatten(2), played.carrier_hz, sent.Flatten(2), frame, sent.carrier_hz).empty()) {
    return std::nullopt;
  }
  return code;
}

std::vector<TIrNamedSignal> TIrExporter::Collect(const TQVXIr& driver, const Options& options,
                                                 std::vector<std::string>& notes,
                                                 std::vector<std::string>& warnings) {
  std::vector<TIrNamedSignal> out;
  for (int i = 0; i < driver.GetFunctionCount(); ++i) {
    const TQVXIrFunction* function = driver.GetFunction(i);
    if (TQVXIrFunction::IsEmpty(function)) continue;
    TIrNamedSignal entry;
    entry.name = Cp1252ToUtf8(function->GetName());
    entry.signal = TIrSignalRender::FromFunction(*function);
    const std::string problem = entry.signal.Problem();
    if (!problem.empty()) {
      warnings.push_back("\"" + entry.name + "\": left out: " + problem);
      continue;
    }
    if (function->CountNonNullSubFunctions() > 1) {
      notes.push_back("\"" + entry.name + "\": only the first of " + std::to_string(function->CountNonNullSubFunctions()) +
                      " sub-functions written");
    }
    if (options.codes) entry.code = CodeOf(*function);
    out.push_back(std::move(entry));
  }
  return out;
}

}  // namespace quillon
