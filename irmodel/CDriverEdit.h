#pragma once
// One edit of a driver document as an undo history keeps it: the driver and
// the selection of the function list before and after the edit, and a label
// naming it ("Rename POWER", "Delete 3 Functions"). States are shared between
// neighbouring edits and never change once made, so a history of a hundred
// edits holds a hundred and one drivers, not two hundred.
#include <memory>
#include <string>
#include <vector>

#include "irmodel/TQVXIr.h"

namespace quillon {

struct CDriverState {
  std::shared_ptr<const TQVXIr> driver;
  // Positions of the selected functions, in list order.
  std::vector<int> selection;
};

struct CDriverEdit {
  // Driver bytes (Windows-1252), as the names it quotes.
  std::string label;
  CDriverState before;
  CDriverState after;

  // "VERB NAME" for one function, "VERB N Functions" for several, VERB alone
  // for none.
  static std::string Label(const std::string& verb, const std::vector<std::string>& names);

  // Whether A and B hold the same driver as far as an edit can tell: the
  // kind, the header entries (apart from the texts every save rewrites by
  // itself: format_version, saved_time, program_version and file_name) and
  // the functions (names and IR data; the editing flags a save clears are not
  // compared).
  static bool SameContent(const TQVXIr& a, const TQVXIr& b);
  // Whether two functions send the same IR data (sub-function by
  // sub-function, names not compared).
  static bool SameSignal(const TQVXIrFunction& a, const TQVXIrFunction& b);
  static bool SameSubFunction(const TQVXIrSubFunction& a, const TQVXIrSubFunction& b);
};

}  // namespace quillon
