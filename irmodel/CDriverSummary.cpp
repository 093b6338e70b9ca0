#include "irmodel/CDriverSummary.h"

#include "irmodel/CDriverDocText.h"
#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrHeaderEntry.h"

namespace quillon {
namespace {

std::string Text(const TQVXIr& driver, int tag) {
  const char* text = driver.GetHeader().GetText(tag);
  return text ? text : "";
}

}  // namespace

CDriverSummary CDriverSummary::Of(const TQVXIr& driver, const std::string& name) {
  using Entry = TQVXIrHeaderEntry;
  CDriverSummary summary;
  summary.m_kindText = CDriverDocText::DriverKindText(driver.GetKind());
  summary.m_name = name;
  summary.m_fields = {
      {"Type", Text(driver, Entry::kDeviceType)},
      {"Manufacturer", Text(driver, Entry::kDeviceManufacturer)},
      {"Model", Text(driver, Entry::kDeviceModel)},
      {"Date", Text(driver, Entry::kSavedTime)},
      {"Comments", Text(driver, Entry::kComments)},
      {"File Format", Text(driver, Entry::kFormatVersion)},
      {"Learner", Text(driver, Entry::kProgramVersion)},
      {"Version", Text(driver, Entry::kDriverVersion)},
  };
  return summary;
}

std::string CDriverSummary::Field(const std::string& label) const {
  for (const auto& [key, value] : m_fields) {
    if (key == label) return value;
  }
  return std::string();
}

}  // namespace quillon
