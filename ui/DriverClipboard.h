#pragma once
// Copied driver functions on the desktop clipboard, so functions copied in
// one Quillon process paste in another. The data is the document's clipboard
// block (a length word and a driver image) under the program's private MIME
// type; drags between driver windows carry the same data.
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

class QMimeData;

namespace quillon::ui {

class DriverClipboard {
 public:
  // The private type. A NAME without a '/' (a clipboard format name) is
  // made a MIME type as "application/x-NAME". The default is made from the
  // document's format name, "application/x-Quillon.DriverFunctions".
  static void SetMimeType(const QString& name);
  static QString MimeType();

  // Offers BLOCK on the clipboard.
  static void Put(const std::vector<std::uint8_t>& block);
  // The block on the clipboard, when it holds a well-formed one.
  static std::optional<std::vector<std::uint8_t>> Get();
  // Whether the clipboard holds data of the private type.
  static bool HasBlock();

  // Drag data holding BLOCK (the caller owns it), and the block in drag data.
  static QMimeData* MakeMimeData(const std::vector<std::uint8_t>& block);
  static std::optional<std::vector<std::uint8_t>> BlockOf(const QMimeData* data);
};

}  // namespace quillon::ui
