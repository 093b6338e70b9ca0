#include "signals/TIrVerifyReport.h"

#include <algorithm>
#include <utility>

#include "capture/TIrRender.h"
#include "irmodel/TQVXIrFunction.h"
#include "irmodel/TQVXIrSubFunction.h"

namespace quillon {
namespace {

double Percent(double from, double to) { return from == 0.0 ? 0.0 : (to - from) * 100.0 / from; }

std::string Shape(const TQVXIrSubFunction& a, const TQVXIrSubFunction& b) {
  if (a.GetGranularity() != b.GetGranularity()) return "different divider granularity";
  if (a.GetHeaderCount() != b.GetHeaderCount()) {
    return "header of " + std::to_string(a.GetHeaderCount()) + " pairs against " + std::to_string(b.GetHeaderCount());
  }
  if (a.GetBodyCount() != b.GetBodyCount()) {
    return "body of " + std::to_string(a.GetBodyCount()) + " pairs against " + std::to_string(b.GetBodyCount());
  }
  if (a.GetSelectorCount() != b.GetSelectorCount()) return "different selector counts";
  for (int i = 0; i < a.GetSelectorCount(); ++i) {
    for (const auto* s : {&a, &b}) {
      const uint8_t sel = s->GetSelector(i);
      if ((sel >> 4) >= s->GetTimeCount() || (sel & 0x0F) >= s->GetTimeCount()) {
        return "selector " + std::to_string(i) + " names a time beyond the table";
      }
    }
  }
  return std::string();
}

}  // namespace

TIrVerifyReport TIrVerifyReport::Compare(const TQVXIrSubFunction& stored, const TQVXIrSubFunction& captured,
                                         float timeTolerance, float dividerTolerance) {
  TIrVerifyReport report;
  report.stored_divider = stored.GetDivider();
  report.captured_divider = captured.GetDivider();
  report.divider_deviation_percent = Percent(stored.GetDivider(), captured.GetDivider());
  report.divider_within = TQVXIrSubFunction::ValuesMatch(stored.GetDivider(), captured.GetDivider(), dividerTolerance);
  report.matches = stored.Matches(&captured, timeTolerance, dividerTolerance);
  report.problem = Shape(stored, captured);
  if (!report.problem.empty()) return report;

  std::vector<std::pair<int, int>> pairs;
  for (int i = 0; i < stored.GetSelectorCount(); ++i) {
    const uint8_t a = stored.GetSelector(i), b = captured.GetSelector(i);
    pairs.emplace_back(a >> 4, b >> 4);
    pairs.emplace_back(a & 0x0F, b & 0x0F);
  }
  std::sort(pairs.begin(), pairs.end());
  pairs.erase(std::unique(pairs.begin(), pairs.end()), pairs.end());
  for (const auto& [s, c] : pairs) {
    TIrTimeComparison row;
    row.stored_index = s;
    row.captured_index = c;
    row.stored = stored.GetTime(s);
    row.captured = captured.GetTime(c);
    row.stored_us = TIrRender::CyclesToMicroseconds(row.stored, stored.GetDivider());
    row.captured_us = TIrRender::CyclesToMicroseconds(row.captured, captured.GetDivider());
    row.deviation_percent = Percent(static_cast<double>(row.stored) * stored.GetDivider(),
                                    static_cast<double>(row.captured) * captured.GetDivider());
    row.within = TQVXIrSubFunction::ValuesMatch(row.stored, row.captured, timeTolerance);
    report.times.push_back(row);
  }
  return report;
}

TIrVerifyReport TIrVerifyReport::CompareFunction(const TQVXIrFunction& stored, const TQVXIrSubFunction& captured,
                                                 float timeTolerance, float dividerTolerance) {
  const TQVXIrSubFunction* chosen = stored.FindMatch(&captured, timeTolerance, dividerTolerance);
  for (int i = 0; !chosen && i < stored.GetSubFunctionCount(); ++i) {
    const TQVXIrSubFunction* sub = stored.GetSubFunction(i);
    if (sub && Shape(*sub, captured).empty()) chosen = sub;
  }
  for (int i = 0; !chosen && i < stored.GetSubFunctionCount(); ++i) chosen = stored.GetSubFunction(i);
  if (!chosen) {
    TIrVerifyReport none;
    none.problem = "no sub-function";
    none.captured_divider = captured.GetDivider();
    return none;
  }
  return Compare(*chosen, captured, timeTolerance, dividerTolerance);
}

}  // namespace quillon
