#pragma once
// An ordered list of owned events. The worker appends; a receiver takes all
// pending events in one step into its own list, handles them by index and
// clears it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "devicelink/CQVXEvent.h"

namespace quillon {

class CQVXEventList {
 public:
  CQVXEventList();
  ~CQVXEventList();
  CQVXEventList(const CQVXEventList&) = delete;
  CQVXEventList& operator=(const CQVXEventList&) = delete;
  CQVXEventList(CQVXEventList&&) noexcept;
  CQVXEventList& operator=(CQVXEventList&&) noexcept;

  // Appends and takes ownership; a null event is refused (returns false).
  bool Add(CQVXEvent* event);
  bool Add(std::unique_ptr<CQVXEvent> event);
  // Creates a plain event and appends it; returns it.
  CQVXEvent* AddNew(uint32_t type, const std::string& text = std::string(), uint32_t p1 = 0,
                    uint32_t p2 = 0, uint32_t p3 = 0, uint32_t p4 = 0);
  // Moves every event of other to the end of this list, keeping their order.
  void TakeAll(CQVXEventList& other);
  // The event at index, or null when out of range.
  CQVXEvent* At(int index) const;
  int GetCount() const { return static_cast<int>(m_events.size()); }
  bool IsEmpty() const { return m_events.empty(); }
  // Destroys every event.
  void Clear();

 private:
  std::vector<std::unique_ptr<CQVXEvent>> m_events;
};

}  // namespace quillon
