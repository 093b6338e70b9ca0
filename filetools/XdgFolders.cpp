#include "filetools/XdgFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace quillon::filetools {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string StripTrailing(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::optional<std::string> Base(const char* variable, const char* fallback) {
  std::string value = Env(variable);
  if (!value.empty() && value.front() == '/') return StripTrailing(value);
  const auto home = XdgFolders::Home();
  if (!home) return std::nullopt;
  return *home + "/" + fallback;
}

}  // namespace

std::optional<std::string> XdgFolders::Home() {
  std::string home = Env("HOME");
  if (home.empty()) {
    if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) home = pw->pw_dir;
  }
  if (home.empty()) return std::nullopt;
  return StripTrailing(home);
}

std::optional<std::string> XdgFolders::UserDir(const std::string& name) {
  const auto config = Base("XDG_CONFIG_HOME", ".config");
  const auto home = Home();
  if (!config || !home) return std::nullopt;
  std::ifstream in(*config + "/user-dirs.dirs");
  const std::string key = "XDG_" + name + "_DIR=";
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key, 0) != 0) continue;
    std::string value = line.substr(key.size());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0) value = *home + value.substr(5);
    if (value.empty() || value.front() != '/') continue;
    return StripTrailing(value);
  }
  return std::nullopt;
}

std::optional<std::string> XdgFolders::Documents() {
  if (auto dir = UserDir("DOCUMENTS")) return dir;
  const auto home = Home();
  if (!home) return std::nullopt;
  return *home + "/Documents";
}

std::vector<std::string> XdgFolders::All() {
  std::vector<std::string> folders;
  auto add = [&](const std::optional<std::string>& p) {
    if (p && !p->empty()) folders.push_back(*p);
  };
  const auto home = Home();
  add(home);
  for (const char* name : {"DESKTOP", "DOCUMENTS", "DOWNLOAD", "MUSIC", "PICTURES", "VIDEOS", "TEMPLATES",
                           "PUBLICSHARE"})
    add(UserDir(name));
  add(Documents());
  if (home) {
    for (const char* sub : {"Desktop", "Music", "Pictures", "Videos", "Templates", "Public", "Downloads"})
      folders.push_back(*home + "/" + sub);
  }
  const auto config = Base("XDG_CONFIG_HOME", ".config");
  const auto data = Base("XDG_DATA_HOME", ".local/share");
  add(config);
  add(data);
  add(Base("XDG_CACHE_HOME", ".cache"));
  add(Base("XDG_STATE_HOME", ".local/state"));
  if (config) folders.push_back(*config + "/autostart");
  if (data) {
    for (const char* sub : {"applications", "fonts", "Trash", "recently-used"}) folders.push_back(*data + "/" + sub);
  }
  for (const char* system : {"/", "/etc", "/etc/xdg", "/usr", "/usr/bin", "/usr/lib", "/usr/share", "/usr/share/fonts",
                             "/usr/share/applications", "/usr/local", "/opt", "/bin", "/lib"})
    folders.push_back(system);
  return folders;
}

}  // namespace quillon::filetools
