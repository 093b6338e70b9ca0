#include "devicelink/CQVXEventList.h"

#include <iterator>
#include <utility>

namespace quillon {

CQVXEventList::CQVXEventList() = default;
CQVXEventList::~CQVXEventList() { Clear(); }
CQVXEventList::CQVXEventList(CQVXEventList&&) noexcept = default;
CQVXEventList& CQVXEventList::operator=(CQVXEventList&&) noexcept = default;

bool CQVXEventList::Add(CQVXEvent* event) {
  if (!event) return false;
  m_events.emplace_back(event);
  return true;
}

bool CQVXEventList::Add(std::unique_ptr<CQVXEvent> event) {
  if (!event) return false;
  m_events.push_back(std::move(event));
  return true;
}

CQVXEvent* CQVXEventList::AddNew(uint32_t type, const std::string& text, uint32_t p1, uint32_t p2,
                                 uint32_t p3, uint32_t p4) {
  m_events.push_back(std::make_unique<CQVXEvent>(type, text, p1, p2, p3, p4));
  return m_events.back().get();
}

void CQVXEventList::TakeAll(CQVXEventList& other) {
  if (&other == this) return;
  m_events.insert(m_events.end(), std::make_move_iterator(other.m_events.begin()),
                  std::make_move_iterator(other.m_events.end()));
  other.m_events.clear();
}

CQVXEvent* CQVXEventList::At(int index) const {
  if (index < 0 || index >= GetCount()) return nullptr;
  return m_events[static_cast<size_t>(index)].get();
}

void CQVXEventList::Clear() { m_events.clear(); }

}  // namespace quillon
