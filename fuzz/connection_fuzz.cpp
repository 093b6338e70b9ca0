// Connection texts: any text gives no description or a description whose
// own connection text parses back to the same endpoint, name and text, and
// to the password as far as a connection text keeps it.
// Scrambled passwords of any shape unscramble without fault.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "devicelink/CQVXConnectionType.h"
#include "fuzz/FuzzTarget.h"

QUILLON_FUZZ_TARGET(connection) {
  using quillon::CQVXConnectionType;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  (void)CQVXConnectionType::UnscramblePassword(text);
  const std::unique_ptr<CQVXConnectionType> description = CQVXConnectionType::CreateFromText(text);
  if (!description || !description->IsValid()) return 0;

  const std::string saved = description->GetConnectionText();
  const std::unique_ptr<CQVXConnectionType> again = CQVXConnectionType::CreateFromText(saved);
  QUILLON_FUZZ_CHECK(again != nullptr);
  QUILLON_FUZZ_CHECK(again->IsValid());
  QUILLON_FUZZ_CHECK(again->IsSameEndpoint(*description));
  QUILLON_FUZZ_CHECK(again->GetConnectionText() == saved);
  QUILLON_FUZZ_CHECK(again->GetName() == description->GetName());
  // A connection text keeps at most the first 64 characters of a password;
  // a longer one read from a text is cut there when written again.
  QUILLON_FUZZ_CHECK(again->GetPassword() == description->GetPassword().substr(0, 64));
  return 0;
}
