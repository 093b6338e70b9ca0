#pragma once
// One named IR function: an ordered list of owned sub-functions (bursts) and
// a word of editing flags that is never stored in files.
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>

#include "irmodel/TQVXIrSubFunction.h"

namespace quillon {

class TQVXIrLoadStream;
class TQVXIrSaveStream;

class TQVXIrFunction {
 public:
  // Bits of the flag word.
  static constexpr std::uint32_t kNew = 0x01;          // new since the last save
  static constexpr std::uint32_t kModified = 0x02;     // modified since the last save
  static constexpr std::uint32_t kVisited = 0x10;      // visited in the learn dialog
  static constexpr std::uint32_t kLearned = 0x20;      // learned since the driver was opened
  static constexpr std::uint32_t kLearnFailed = 0x40;  // the last learn attempt failed
  static constexpr std::uint32_t kMoving = 0x80;       // transient marker while moving

  // The name every placeholder function made by the model carries.
  static constexpr const char* kEmptyName = "*Empty*";

  TQVXIrFunction();
  TQVXIrFunction(const TQVXIrFunction& other);
  TQVXIrFunction& operator=(const TQVXIrFunction& other);
  // Reads one function record at the stream's position (driver file layout).
  explicit TQVXIrFunction(TQVXIrLoadStream& stream);
  virtual ~TQVXIrFunction();

  // The name, or null when the function has none.
  const char* GetName() const { return name_ ? name_->c_str() : nullptr; }
  bool HasName() const { return name_.has_value(); }
  // Copies NAME; null clears it. Text stops at the first NUL.
  void SetName(const char* name);
  void SetName(const std::string& name);

  std::uint32_t GetFlags() const { return flags_; }
  void SetFlags(std::uint32_t flags) { flags_ = flags; }
  bool IsNew() const { return (flags_ & kNew) != 0; }
  void SetNew(bool on) { flags_ = on ? (flags_ | kNew) : (flags_ & ~kNew); }
  bool IsModified() const { return (flags_ & kModified) != 0; }
  void SetModified(bool on) { flags_ = on ? (flags_ | kModified) : (flags_ & ~kModified); }

  // Number of sub-function entries (null entries included).
  int GetSubFunctionCount() const { return static_cast<int>(subs_.size()); }
  // The entry at I, or null when I is out of range.
  TQVXIrSubFunction* GetSubFunction(int i) const;
  // Appends an owned sub-function; returns the previous count, or -1 for null.
  int AddSubFunction(std::unique_ptr<TQVXIrSubFunction> sub);
  // Appends a deep copy; returns the previous count, or -1 for null.
  int AddSubFunctionCopy(const TQVXIrSubFunction* sub);
  // Destroys every sub-function.
  void ClearSubFunctions();
  // Removes the entry at I and returns it (null when out of range).
  std::unique_ptr<TQVXIrSubFunction> DetachSubFunction(int i);

  // The first own sub-function that matches SUB within the tolerances, or null.
  TQVXIrSubFunction* FindMatch(const TQVXIrSubFunction* sub, float timeTolerance, float dividerTolerance) const;
  bool HasMatch(const TQVXIrSubFunction* sub, float timeTolerance, float dividerTolerance) const;

  // Number of non-null sub-functions.
  int CountNonNullSubFunctions() const;

  // Record size in a driver file: 2 * (sub-function count) + 2 + the sizes of
  // the sub-function records; throws code 5 for a null entry.
  int GetStoredSize() const;

  // Writes the record (driver file layout); returns the bytes written.
  int Write(TQVXIrSaveStream& stream) const;

  // A placeholder: no name, an empty name, the name "*Empty*" (any case) or
  // no sub-function entries.
  bool IsEmpty() const;
  static bool IsEmpty(const TQVXIrFunction* function);
  // Whether NAME is a placeholder name: null, empty or "*Empty*" (any case).
  static bool IsEmptyName(const char* name);

 private:
  std::optional<std::string> name_;
  std::uint32_t flags_ = 0;
  std::deque<std::unique_ptr<TQVXIrSubFunction>> subs_;
};

// Case-insensitive (ASCII) equality of two names; null equals nothing.
bool NamesEqual(const char* a, const char* b);

}  // namespace quillon
