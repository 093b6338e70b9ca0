#include "irmodel/CSubFunctionText.h"

#include <algorithm>
#include <cstdio>

#include "irmodel/TQVXIrFunction.h"
#include "irmodel/TQVXIrSubFunction.h"

namespace quillon {
namespace {

std::string Printf(const char* format, unsigned value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// The selectors from FIRST, COUNT of them as far as the array holds them,
// each "%2.2X", separated by one blank.
std::string Selectors(const TQVXIrSubFunction& sub, int first, int count) {
  std::string text;
  const int end = std::min(first + count, sub.GetSelectorCount());
  for (int i = first; i < end; ++i) {
    if (!text.empty()) text += ' ';
    text += Printf("%2.2X", sub.GetSelector(i));
  }
  return text;
}

}  // namespace

const std::vector<std::string>& CSubFunctionText::ListColumns() {
  static const std::vector<std::string> columns = {"Index",      "Carrier",    "Min. Repeat",
                                                   "Time Count", "Head Bytes", "Body Bytes"};
  return columns;
}

const std::vector<std::string>& CSubFunctionText::DataColumns() {
  static const std::vector<std::string> columns = {"Heading", "Data"};
  return columns;
}

std::string CSubFunctionText::CarrierText(const TQVXIrSubFunction& sub) {
  if (sub.GetDivider() == 0) return "no carrier";
  char text[32];
  std::snprintf(text, sizeof text, "%.1fKHz", sub.GetCarrierHz() * 0.001);
  return text;
}

std::vector<std::string> CSubFunctionText::ListRow(int index, const TQVXIrSubFunction& sub) {
  return {std::to_string(index),
          CarrierText(sub),
          std::to_string(sub.GetCounts() >> 4),
          std::to_string(sub.GetCounts() & 0x0F),
          std::to_string(sub.GetHeaderCount()),
          std::to_string(sub.GetBodyCount())};
}

std::vector<CSubFunctionText::ListEntry> CSubFunctionText::ListRows(const TQVXIrFunction& function) {
  std::vector<ListEntry> rows;
  for (int i = 0; i < function.GetSubFunctionCount(); ++i) {
    if (const TQVXIrSubFunction* sub = function.GetSubFunction(i)) rows.push_back({i, ListRow(i, *sub)});
  }
  return rows;
}

std::vector<CSubFunctionText::DataRow> CSubFunctionText::DataRows(const TQVXIrSubFunction& sub) {
  std::string times;
  for (std::uint16_t value : sub.GetTimes()) {
    if (!times.empty()) times += ' ';
    times += Printf("0x%4.4X", value);
  }
  return {
      {"Carrier Divider", Printf("0x%4.4X", sub.GetDivider())},
      {"Divider Gran.", Printf("0x%4.4X", sub.GetGranularity())},
      {"Min. Repeats (dec)", Printf("%u", static_cast<unsigned>(sub.GetRepeatCount()))},
      {"Time Values", times},
      {"Header selectors", Selectors(sub, 0, sub.GetHeaderCount())},
      {"Body selectors", Selectors(sub, sub.GetHeaderCount(), sub.GetBodyCount())},
  };
}

}  // namespace quillon
