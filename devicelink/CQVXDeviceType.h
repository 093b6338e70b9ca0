#pragma once
// One row of the device table: a device identified by its part number (or,
// for derivative devices, by its family number), whether and how it learns IR,
// and which IR playback ports it has.
#include <cstdint>
#include <string>
#include <string_view>

namespace quillon {

class CMemINISection;

class CQVXDeviceType {
 public:
  enum LearnKind : int32_t { kQVXLearner = 0, kHalvarLearner = 1, kNotLearner = 2 };

  CQVXDeviceType() = default;

  // Reads the type from its section of the settings file. An invalid playback
  // range resets the record (empty part number, not a learner, no ports); an
  // invalid shared range is cleared.
  void ReadFromSection(const CMemINISection& section);
  // The learn kind a "learntype" value gives (compared without regard to case).
  static int32_t LearnKindFromText(std::string_view learnType);

  // The type's name: the name of its section in the device table.
  const std::string& GetName() const { return m_Name; }
  const std::string& GetFamilyNumber() const { return m_FamilyNumber; }
  const std::string& GetPartNumber() const { return m_PartNumber; }
  int32_t GetLearnKind() const { return m_LearnKind; }
  int32_t GetFirstPort() const { return m_FirstPort; }
  int32_t GetLastPort() const { return m_LastPort; }
  int32_t GetFirstSharedPort() const { return m_FirstSharedPort; }
  int32_t GetLastSharedPort() const { return m_LastSharedPort; }

  void SetName(std::string_view name) { m_Name = name; }
  void SetFamilyNumber(std::string_view family) { m_FamilyNumber = family; }
  void SetPartNumber(std::string_view part) { m_PartNumber = part; }
  void SetLearnKind(int32_t kind) { m_LearnKind = kind; }
  void SetPorts(int32_t first, int32_t last) { m_FirstPort = first, m_LastPort = last; }
  void SetSharedPorts(int32_t first, int32_t last) { m_FirstSharedPort = first, m_LastSharedPort = last; }

  // last - first + 1 for a valid playback range, else 0.
  int GetPortCount() const;
  // Whether playback port N lies in a valid shared range.
  bool IsSharedPort(int n) const;
  bool IsQVXLearner() const { return m_LearnKind == kQVXLearner; }
  bool IsHalvarLearner() const { return m_LearnKind == kHalvarLearner; }
  bool IsLearner() const { return IsQVXLearner() || IsHalvarLearner(); }
  bool HasPorts() const { return GetPortCount() > 0; }
  // Whether this device's IR playback ports are numbered 8 higher on the wire.
  bool NeedsPortOffset() const;

 private:
  std::string m_FamilyNumber;
  std::string m_PartNumber;
  int32_t m_LearnKind = kNotLearner;
  int32_t m_FirstPort = 0;
  int32_t m_LastPort = 0;
  int32_t m_FirstSharedPort = 0;
  int32_t m_LastSharedPort = 0;
  std::string m_Name;
};

}  // namespace quillon
