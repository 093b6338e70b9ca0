#pragma once
// An ordered list of owned IR functions. Entries may be null only
// transiently, while a list operation rebuilds it.
#include <deque>
#include <memory>

#include "irmodel/TQVXIrFunction.h"

namespace quillon {

class TFunctionDeque {
 public:
  TFunctionDeque();
  // Copies are deep (null entries stay null).
  TFunctionDeque(const TFunctionDeque& other);
  TFunctionDeque& operator=(const TFunctionDeque& other);
  virtual ~TFunctionDeque();

  int Count() const { return static_cast<int>(items_.size()); }
  // The entry at I, or null when I is out of range.
  TQVXIrFunction* At(int i) const;
  // Position of FUNCTION in the list, or -1.
  int IndexOf(const TQVXIrFunction* function) const;
  void PushBack(std::unique_ptr<TQVXIrFunction> function) { items_.push_back(std::move(function)); }
  // Removes the entry at I and returns it (null when out of range).
  std::unique_ptr<TQVXIrFunction> TakeAt(int i);
  // Destroys every entry.
  void DestroyAll() { items_.clear(); }

  std::deque<std::unique_ptr<TQVXIrFunction>>& Items() { return items_; }
  const std::deque<std::unique_ptr<TQVXIrFunction>>& Items() const { return items_; }

 private:
  std::deque<std::unique_ptr<TQVXIrFunction>> items_;
};

}  // namespace quillon
