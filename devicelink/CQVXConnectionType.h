#pragma once
// A connection description: how to reach one device (over TCP/IP or a serial
// port), plus the device's name and administrator password. Every description
// has a display text for menus and the status line, and a connection text
// ("TCP:..." or "SERIAL:...") that fully encodes it and is its persistent form.
#include <memory>
#include <string>
#include <string_view>

namespace quillon {

class CQVXConnectionType {
 public:
  CQVXConnectionType() = default;
  virtual ~CQVXConnectionType() = default;

  // Rebuilds the display text and the connection text from the fields.
  virtual void UpdateText();
  // Takes every field of OTHER when it is of the same kind; otherwise only
  // marks this description not valid.
  virtual void CopyFrom(const CQVXConnectionType& other);
  // Positive when OTHER reaches the same endpoint (name and password are not compared).
  virtual int IsEqual(const CQVXConnectionType& other) const;
  // Sets the fields from a connection text; returns the valid flag.
  virtual int ParseText(std::string_view text);
  virtual int IsSerial() const { return 0; }
  virtual int IsTCP() const { return 0; }
  virtual int IsValid() const { return m_Valid; }
  virtual std::string GetName() const { return m_Name; }
  // Stores NAME (empty when none) and rebuilds the texts.
  virtual void SetName(std::string_view name);
  virtual std::string GetPassword() const { return m_Password; }
  // Stores PASSWORD (empty when none) and rebuilds the texts.
  virtual void SetPassword(std::string_view password);

  // Whether IsEqual gives a positive result.
  bool IsSameEndpoint(const CQVXConnectionType& other) const { return IsEqual(other) > 0; }

  const std::string& GetDisplayText() const { return m_DisplayText; }
  const std::string& GetConnectionText() const { return m_ConnectionText; }
  // What the last ParseText found wrong, naming the field ("address: 999 is
  // not 0..255", "parity: 'Foo' is not None, Odd, Even, Mark or Space");
  // empty when every field was understood. A text with a problem is not
  // valid, except for an unknown table text, which keeps the description
  // valid (the field reads -1 and prints as "???").
  const std::string& GetParseProblem() const { return m_ParseProblem; }

  // "SERIAL:..." gives a serial description, "TCP:..." a TCP description,
  // each parsed from the rest (and possibly not valid); anything else, or an
  // empty rest, gives none.
  static std::unique_ptr<CQVXConnectionType> CreateFromText(std::string_view text);
  // A new description of the same kind with every field copied; none for none.
  static std::unique_ptr<CQVXConnectionType> CreateCopy(const CQVXConnectionType* description);

  // The scrambled form of a password as written in connection texts (at most
  // its first 64 characters are kept).
  static std::string ScramblePassword(std::string_view password);
  // The password of a scrambled text; empty when the text fails its length check.
  static std::string UnscramblePassword(std::string_view scrambled);

 protected:
  // Clears both texts, the name and the password and marks not valid.
  void ResetForParse();
  // Copies the fields held by this base class.
  void CopyBaseFrom(const CQVXConnectionType& other);

  std::string m_DisplayText;
  std::string m_ConnectionText;
  std::string m_Name;
  std::string m_Password;
  std::string m_ParseProblem;
  int m_Valid = 0;
};

}  // namespace quillon
