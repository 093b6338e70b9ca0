#pragma once
// The INI files the program carries inside itself, found by resource number:
// 159 is irfunctions.ini, 161 is quillon.ini. The bytes are those of the files
// in data/ exactly (carriage returns included).
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace quillon {

struct EmbeddedResource {
  int id;
  const char* name;
  const unsigned char* data;
  std::size_t size;
};

// Ends with an entry of id 0; generated at build time.
extern const EmbeddedResource kEmbeddedResourceTable[];

class CEmbeddedResources {
 public:
  static constexpr int kIrFunctionsIni = 159;
  static constexpr int kQuillonIni = 161;

  // The bytes of resource ID, unchanged; nothing when there is no such resource.
  static std::optional<std::string_view> Find(int id);
  // The file name the resource was made from ("irfunctions.ini"), or "".
  static std::string FileName(int id);
  // The resource prepared for parsing: every carriage return turned into a
  // line feed. Throws CQuillonException("Program resources corrupted") when
  // the resource is missing.
  static std::string IniText(int id);
};

}  // namespace quillon
