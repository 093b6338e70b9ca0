#include "app/CEmbeddedResources.h"

#include "app/CQuillonException.h"

namespace quillon {

std::optional<std::string_view> CEmbeddedResources::Find(int id) {
  for (const EmbeddedResource* r = kEmbeddedResourceTable; r->id != 0; ++r) {
    if (r->id == id) {
      if (!r->data || r->size == 0) return std::nullopt;
      return std::string_view(reinterpret_cast<const char*>(r->data), r->size);
    }
  }
  return std::nullopt;
}

std::string CEmbeddedResources::FileName(int id) {
  for (const EmbeddedResource* r = kEmbeddedResourceTable; r->id != 0; ++r) {
    if (r->id == id) return r->name;
  }
  return std::string();
}

std::string CEmbeddedResources::IniText(int id) {
  auto bytes = Find(id);
  if (!bytes) throw CQuillonException("Program resources corrupted");
  std::string text(*bytes);
  for (char& c : text) {
    if (c == '\r') c = '\n';
  }
  return text;
}

}  // namespace quillon
