#include "devicelink/CSerialParamTable.h"

#include <cctype>
#include <cstring>

namespace quillon {
namespace {

// Resource numbers of the texts in the program's string table.
constexpr CSerialParamTable::Entry kBitRates[] = {
    {"300", 2001, 0, 300},       {"600", 2002, 0, 600},       {"1200", 2003, 0, 1200},
    {"1800", 2004, 0, 1800},     {"2400", 2005, 0, 2400},     {"3600", 2006, 0, 3600},
    {"4800", 2007, 0, 4800},     {"7200", 2008, 0, 7200},     {"9600", 2009, 1, 9600},
    {"14400", 2010, 0, 14400},   {"28800", 2011, 0, 28800},   {"38400", 2012, 0, 38400},
    {"57600", 2013, 0, 57600},   {"115200", 2014, 0, 115200}, {nullptr, -1, 0, 0}};

constexpr CSerialParamTable::Entry kParity[] = {
    {"None", 2021, 1, 0}, {"Odd", 2022, 0, 1}, {"Even", 2023, 0, 2},
    {"Mark", 2024, 0, 3}, {"Space", 2025, 0, 4}, {nullptr, -1, 0, 0}};

constexpr CSerialParamTable::Entry kDataBits[] = {{"8", 2031, 1, 8}, {"7", 2032, 0, 7}, {nullptr, -1, 0, 0}};

constexpr CSerialParamTable::Entry kStopBits[] = {{"1", 2041, 1, 0}, {"2", 2042, 0, 2}, {nullptr, -1, 0, 0}};

constexpr CSerialParamTable::Entry kFlowControl[] = {
    {"Off", 2051, 1, 0},     {"CTR/CRS (Hardware)", 2052, 0, 1}, {"CTS/DTR", 2053, 0, 2},
    {"DSR/RTS", 2054, 0, 3}, {"DSR/DTR", 2055, 0, 4},            {"XOn/XOff (Software)", 2056, 0, 5},
    {nullptr, -1, 0, 0}};

bool EqualNoCase(std::string_view a, const char* b) {
  const size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

}  // namespace

const CSerialParamTable::Entry* CSerialParamTable::GetTable(SerialParam table) {
  switch (table) {
    case SerialParam::BitRate: return kBitRates;
    case SerialParam::Parity: return kParity;
    case SerialParam::DataBits: return kDataBits;
    case SerialParam::StopBits: return kStopBits;
    case SerialParam::FlowControl: return kFlowControl;
  }
  return kBitRates;
}

int CSerialParamTable::GetCount(SerialParam table) {
  int n = 0;
  for (const Entry* e = GetTable(table); e->text; ++e) ++n;
  return n;
}

int CSerialParamTable::GetDefaultIndex(SerialParam table) {
  int i = 0;
  for (const Entry* e = GetTable(table); e->text; ++e, ++i) {
    if (e->isDefault) return i;
  }
  return 0;
}

int CSerialParamTable::FindText(SerialParam table, std::string_view text) {
  int i = 0;
  for (const Entry* e = GetTable(table); e->text; ++e, ++i) {
    if (EqualNoCase(text, e->text)) return i;
  }
  return -1;
}

int CSerialParamTable::LookupValue(SerialParam table, std::string_view text) {
  const int i = FindText(table, text);
  return i < 0 ? -1 : GetTable(table)[i].value;
}

const char* CSerialParamTable::LookupText(SerialParam table, int value) {
  for (const Entry* e = GetTable(table); e->text; ++e) {
    if (e->value == value) return e->text;
  }
  return nullptr;
}

}  // namespace quillon
