#include "irmodel/TFunctionDeque.h"

#include <algorithm>

namespace quillon {

TFunctionDeque::TFunctionDeque() = default;

TFunctionDeque::TFunctionDeque(const TFunctionDeque& other) {
  for (const auto& f : other.items_) items_.push_back(f ? std::make_unique<TQVXIrFunction>(*f) : nullptr);
}

TFunctionDeque& TFunctionDeque::operator=(const TFunctionDeque& other) {
  if (this == &other) return *this;
  std::deque<std::unique_ptr<TQVXIrFunction>> copies;
  for (const auto& f : other.items_) copies.push_back(f ? std::make_unique<TQVXIrFunction>(*f) : nullptr);
  items_ = std::move(copies);
  return *this;
}

TFunctionDeque::~TFunctionDeque() = default;

TQVXIrFunction* TFunctionDeque::At(int i) const {
  if (i < 0 || i >= Count()) return nullptr;
  return items_[static_cast<std::size_t>(i)].get();
}

int TFunctionDeque::IndexOf(const TQVXIrFunction* function) const {
  if (function == nullptr) return -1;
  const auto it = std::find_if(items_.begin(), items_.end(), [function](const auto& f) { return f.get() == function; });
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

std::unique_ptr<TQVXIrFunction> TFunctionDeque::TakeAt(int i) {
  if (i < 0 || i >= Count()) return nullptr;
  auto it = items_.begin() + i;
  std::unique_ptr<TQVXIrFunction> f = std::move(*it);
  items_.erase(it);
  return f;
}

}  // namespace quillon
