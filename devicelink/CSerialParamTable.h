#pragma once
// The five fixed tables of serial line parameters offered for a serial
// connection: bit rate, parity, data bits, stop bits and flow control. Each
// entry pairs the text shown and written in connection texts with the value
// stored in a serial description. Parity and stop-bit values are the codes of
// the system's serial settings (parity none/odd/even/mark/space = 0..4; one
// stop bit = 0, two = 2).
#include <string_view>

namespace quillon {

enum class SerialParam { BitRate = 0, Parity = 1, DataBits = 2, StopBits = 3, FlowControl = 4 };

class CSerialParamTable {
 public:
  struct Entry {
    const char* text;  // null in the end entry
    int resourceId;    // -1 in the end entry
    int isDefault;
    int value;
  };

  // The table's entries in order, ended by an entry with no text and resource number -1.
  static const Entry* GetTable(SerialParam table);
  // The number of entries before the end entry.
  static int GetCount(SerialParam table);
  // The index of the table's default entry.
  static int GetDefaultIndex(SerialParam table);
  // The value of TEXT (compared without regard to case), or -1 when the table has no such text.
  static int LookupValue(SerialParam table, std::string_view text);
  // The text of VALUE, or null when the table has no such value.
  static const char* LookupText(SerialParam table, int value);
  // The index of the entry whose text equals TEXT without regard to case, or -1.
  static int FindText(SerialParam table, std::string_view text);
};

}  // namespace quillon
