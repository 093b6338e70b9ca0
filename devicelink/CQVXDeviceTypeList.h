#pragma once
// The device table: the known devices, in the order of the settings file's
// "supported_learners" section. Built once at start-up and read-only after.
#include <memory>
#include <string_view>
#include <vector>

#include "devicelink/CQVXDeviceType.h"

namespace quillon {

class CMemINI;

class CQVXDeviceTypeList {
 public:
  CQVXDeviceTypeList() = default;
  CQVXDeviceTypeList(const CQVXDeviceTypeList&) = delete;
  CQVXDeviceTypeList& operator=(const CQVXDeviceTypeList&) = delete;
  CQVXDeviceTypeList(CQVXDeviceTypeList&&) noexcept = default;
  CQVXDeviceTypeList& operator=(CQVXDeviceTypeList&&) noexcept = default;

  // Replaces the contents by the table of INI; malformed or unusable types are
  // dropped one by one. Returns the number of types loaded.
  int Load(const CMemINI& ini);

  // The type of PART_NUMBER: an exact part-number match first, else the first
  // type whose family number begins the part number (both ignoring case).
  const CQVXDeviceType* Find(std::string_view partNumber) const;
  bool IsKnown(std::string_view partNumber) const { return Find(partNumber) != nullptr; }
  bool IsLearner(std::string_view partNumber) const;

  int GetCount() const { return static_cast<int>(m_Types.size()); }
  const CQVXDeviceType* GetAt(int index) const;
  void Add(std::unique_ptr<CQVXDeviceType> type);
  void Clear() { m_Types.clear(); }

  // The program-wide table.
  static CQVXDeviceTypeList& Program();

 private:
  std::vector<std::unique_ptr<CQVXDeviceType>> m_Types;
};

}  // namespace quillon
