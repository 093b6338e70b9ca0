#pragma once
// What the "SubFunctions" pane shows of one function: a row per sub-function
// (index, carrier, minimum repeats, time count, header and body counts) and,
// for the selected sub-function, six data rows with the raw values.
#include <string>
#include <vector>

namespace quillon {

class TQVXIrFunction;
class TQVXIrSubFunction;

class CSubFunctionText {
 public:
  struct DataRow {
    std::string heading;
    std::string data;
  };

  // Column titles of the sub-function list and of the data list.
  static const std::vector<std::string>& ListColumns();
  static const std::vector<std::string>& DataColumns();

  // The carrier as "%.1fKHz"; "no carrier" for a divider of 0, which names
  // no frequency.
  static std::string CarrierText(const TQVXIrSubFunction& sub);

  // One row of the sub-function list for the sub-function at INDEX.
  static std::vector<std::string> ListRow(int index, const TQVXIrSubFunction& sub);
  // The rows of FUNCTION's sub-functions, in order (empty entries skipped),
  // each with the position of its sub-function.
  struct ListEntry {
    int index;
    std::vector<std::string> cells;
  };
  static std::vector<ListEntry> ListRows(const TQVXIrFunction& function);

  // "Carrier Divider", "Divider Gran.", "Min. Repeats (dec)", "Time Values",
  // "Header selectors" and "Body selectors" of SUB.
  static std::vector<DataRow> DataRows(const TQVXIrSubFunction& sub);
};

}  // namespace quillon
