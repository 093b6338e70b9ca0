#pragma once
// The models of the "Open Driver" dialog, in the order they were found. A
// model's id (its position) is the item data of the "Device Model" list.
#include <cstddef>
#include <vector>

#include "library/CIRFile.h"

namespace quillon::library {

class CIRFileList {
 public:
  // Appends MODEL and returns its id.
  int Add(CIRFile model);
  void Clear() { m_models.clear(); }
  // The model with ID, or null.
  const CIRFile* Find(int id) const;
  const std::vector<CIRFile>& GetModels() const { return m_models; }
  std::size_t GetCount() const { return m_models.size(); }

 private:
  std::vector<CIRFile> m_models;
};

}  // namespace quillon::library
