#include "library/CIRFileList.h"

#include <utility>

namespace quillon::library {

int CIRFileList::Add(CIRFile model) {
  m_models.push_back(std::move(model));
  return static_cast<int>(m_models.size() - 1);
}

const CIRFile* CIRFileList::Find(int id) const {
  if (id < 0 || static_cast<std::size_t>(id) >= m_models.size()) return nullptr;
  return &m_models[static_cast<std::size_t>(id)];
}

}  // namespace quillon::library
