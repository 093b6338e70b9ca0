#pragma once
// A driver: the ordered functions (position 0 first), a header of tagged
// entries, the driver kind and the path it was last loaded from. It is read
// from and written to the binary .vir layout through the scrambling streams.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "irmodel/TFunctionDeque.h"
#include "irmodel/TQVXIrFunction.h"
#include "irmodel/TQVXIrHeader.h"

namespace quillon {

class TQVXIrLoadStream;
class TQVXIrSaveStream;

class TQVXIr : public TFunctionDeque {
 public:
  // Driver kinds.
  static constexpr std::uint8_t kIrDriver = 0;
  static constexpr std::uint8_t kX10Driver = 1;
  static constexpr std::uint8_t kMultiFunctionDriver = 2;
  // Functions a rebuilt list keeps before the rest goes to an overflow list.
  static constexpr int kMaxListedFunctions = 128;
  // The standard-slot count used when a driver has no command list.
  static constexpr int kNoStandardSlots = 2147483647;

  // An empty driver (kind 0); a non-empty PATH is loaded (LoadFile).
  explicit TQVXIr(const char* path = nullptr);
  TQVXIr(const TQVXIr& other);
  TQVXIr& operator=(const TQVXIr& other);
  ~TQVXIr() override;

  // Clears the functions and remembers PATH; a non-empty PATH is opened
  // (code 3 when it cannot be) and loaded. Returns Load's result, or 0 for an
  // empty path.
  int LoadFile(const char* path);
  // Replaces functions and header with the driver read from STREAM; returns 1.
  // Throws TQVXIrException (code 2 for malformed data).
  int Load(TQVXIrLoadStream& stream);
  // Writes the driver; empty functions at positions below STANDARDSLOTS lose
  // their names. Returns the bytes written; throws TQVXIrException (code 4
  // when the stream's buffer is too small, code 5 for an inconsistency or a
  // driver beyond the format's limits).
  std::int64_t Save(TQVXIrSaveStream& stream, int standardSlots);
  // The exact byte count Save fills with the same standardSlots.
  std::int64_t ComputeSize(bool includeNames, int standardSlots) const;

  TQVXIrHeader& GetHeader() { return header_; }
  const TQVXIrHeader& GetHeader() const { return header_; }
  std::uint8_t GetKind() const { return kind_; }
  void SetKind(std::uint8_t kind) { kind_ = kind; }
  // The text a kind is shown with ("IR Driver:  ", ...).
  static const char* KindLabel(std::uint8_t kind);
  // The path last loaded from, or null.
  const char* GetFileName() const { return path_ ? path_->c_str() : nullptr; }
  void SetFileName(const char* path);

  int GetFunctionCount() const { return Count(); }
  // The function at I, or null when out of range.
  TQVXIrFunction* GetFunction(int i) const { return At(i); }
  // The first function named NAME ignoring case, or null (an empty name
  // finds nothing).
  TQVXIrFunction* FindFunction(const char* name) const;
  TQVXIrFunction* FindFunction(const std::string& name) const { return FindFunction(name.c_str()); }
  int IndexOfFunction(const char* name) const;
  int IndexOfFunction(const std::string& name) const { return IndexOfFunction(name.c_str()); }

  // Appends an owned function and returns the previous count; refuses (-1) a
  // null pointer or one already in the list (which the list keeps owning).
  int Append(std::unique_ptr<TQVXIrFunction> function);
  int AppendCopy(const TQVXIrFunction& function);
  // Inserts an owned function before POSITION (beyond the end appends,
  // negative counts as 0); returns the position used, or -1 as Append.
  int InsertAt(int position, std::unique_ptr<TQVXIrFunction> function);
  // Removes a function from the list without destroying it; null when it is
  // not in the list.
  std::unique_ptr<TQVXIrFunction> Detach(int position);
  std::unique_ptr<TQVXIrFunction> Detach(const TQVXIrFunction* function);
  // Removes and destroys a function: 1, or 0 when not found.
  int Delete(int position);
  int Delete(const TQVXIrFunction* function);
  int Delete(const char* name);
  int Delete(const std::string& name) { return Delete(name.c_str()); }
  // Destroys all functions; the header stays.
  void Clear();
  // Deep copy of functions, header, kind and path.
  void Assign(const TQVXIr& other);

  // True when some function holds more than one non-null sub-function.
  bool IsMultiFunction() const;

  // Lays the functions out along NAMES (a standard command list): named
  // functions move to their command's position, placeholders at that position
  // take the name, missing commands are created; the rest follows in order.
  // Once the rebuilt list holds 128 functions, further functions go to
  // OVERFLOW when given. Returns 0, or 2 (nothing changed) when a name is empty.
  int ApplyCommandList(const std::vector<std::string>& names, TFunctionDeque* overflow);
  // Overwrites every function named like a named function of OTHER that has
  // not failed its last learn (flag 0x40) with a deep copy of it. Returns the
  // number of functions overwritten.
  int UpdateFrom(const TQVXIr& other);

 private:
  TQVXIrHeader header_;
  std::uint8_t kind_ = kIrDriver;
  std::optional<std::string> path_;
};

}  // namespace quillon
