#pragma once
// What the "Summary" pane of a driver window shows: the driver's name after
// its kind ("IR Driver:  tv.vir"), its description and the header entries the
// program maintains. Texts are driver bytes (Windows-1252).
#include <string>
#include <utility>
#include <vector>

namespace quillon {

class TQVXIr;

class CDriverSummary {
 public:
  // The summary of DRIVER shown under NAME (the document's file name or
  // title).
  static CDriverSummary Of(const TQVXIr& driver, const std::string& name);

  // "IR Driver:  ", "X10 Driver:  " or "Multifunction IR Driver:  ".
  const std::string& KindText() const { return m_kindText; }
  const std::string& Name() const { return m_name; }
  // The labelled fields, in the order shown: "Type", "Manufacturer",
  // "Model", "Date", "Comments", "File Format", "Learner", "Version".
  const std::vector<std::pair<std::string, std::string>>& Fields() const { return m_fields; }
  // The value of the field LABEL, or "".
  std::string Field(const std::string& label) const;

 private:
  std::string m_kindText;
  std::string m_name;
  std::vector<std::pair<std::string, std::string>> m_fields;
};

}  // namespace quillon
