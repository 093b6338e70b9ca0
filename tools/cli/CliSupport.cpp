#include "tools/cli/CliSupport.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "platform/SafeFile.h"
#include "tools/cli/CliCommand.h"

namespace quillon::cli {

// --- files --------------------------------------------------------------------

std::string ReadFileBytes(const std::string& path) {
  try {
    const std::vector<std::uint8_t> bytes = ReadFileSafely(path);
    return std::string(bytes.begin(), bytes.end());
  } catch (const SafeFileError& e) {
    throw CliError(e.what());
  }
}

void WriteFileBytes(const std::string& path, std::string_view bytes) {
  try {
    WriteFileSafely(path, bytes);
  } catch (const SafeFileError& e) {
    throw CliError(e.what());
  }
}

void CheckReadable(const std::string& path) {
  if (path == "-") return;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) throw CliError(path + ": " + std::strerror(errno));
  struct stat info {};
  const bool folder = ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
  ::close(fd);
  if (folder) throw CliError(path + ": " + std::strerror(EISDIR));
}

void AddForceFlag(CLI::App* command, bool& force) {
  command->add_flag("-f,--force", force, "Replace an output file that exists already");
}

void CheckOutput(const std::string& path, bool force) {
  try {
    CheckWritable(path);
    if (!force && OutputExists(path)) throw CliError(path + ": file exists (use --force to replace it)");
  } catch (const SafeFileError& e) {
    throw CliError(e.what());
  }
}

// --- data and messages --------------------------------------------------------

void AddJsonFlag(CLI::App* command, bool& json, const std::string& shape) {
  command->add_flag("--json", json, shape.empty() ? std::string("Print JSON") : "Print JSON: " + shape);
}

void PrintJson(const nlohmann::ordered_json& value) {
  std::cout << value.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << "\n";
}

void AddLenientFlag(CLI::App* command, bool& lenient) {
  command->add_flag("--lenient", lenient,
                    "Exit with status 0 although warnings left the result incomplete (they are still printed)");
}

void Warnings::Add(const std::string& text) {
  std::cerr << "quillon-cli: warning: " << text << "\n";
  ++m_count;
}

void Warnings::Finish(const std::string& summary) const {
  if (m_count > 0 && !m_lenient) throw CliError(summary + " (--lenient accepts this)");
}

long ParseNumber(const std::string& text, const std::string& what, long lo, long hi) {
  std::size_t start = 0;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) start = 1;
  bool digits = text.size() > start && text.size() - start <= 12;
  for (std::size_t i = start; digits && i < text.size(); ++i) digits = std::isdigit(static_cast<unsigned char>(text[i]));
  if (!digits) throw CliError(what + ": '" + text + "' is not a number");
  const long value = std::strtol(text.c_str(), nullptr, 10);
  if (value < lo || value > hi) {
    throw CliError(what + ": " + std::to_string(value) + " is not in " + std::to_string(lo) + ".." + std::to_string(hi));
  }
  return value;
}

// --- progress -----------------------------------------------------------------

void AddProgressFlag(CLI::App* command, bool& progress) {
  command->add_flag("--progress", progress, "Show progress on stderr even when it is not a terminal");
}

Progress::Progress(bool requested)
    : m_enabled(requested || ::isatty(STDERR_FILENO) == 1), m_terminal(::isatty(STDERR_FILENO) == 1) {}

Progress::~Progress() { Finish(); }

void Progress::Show(const std::string& label, std::int64_t done, std::int64_t total, const std::string& unit) {
  if (!m_enabled) return;
  if (label != m_lastLabel) {
    Finish();
    m_lastLabel = label;
    m_lastTenth = -1;
  }
  const int percent = total > 0 ? static_cast<int>(std::clamp<std::int64_t>(done * 100 / total, 0, 100)) : 0;
  const std::string line = label + ": " + std::to_string(done) + " of " + std::to_string(total) + " " + unit + " (" +
                           std::to_string(percent) + "%)";
  if (m_terminal) {
    std::cerr << "\r" << line << "\x1b[K" << std::flush;
    m_open = true;
    return;
  }
  const int tenth = percent / 10;
  if (tenth == m_lastTenth) return;
  m_lastTenth = tenth;
  std::cerr << line << "\n" << std::flush;
}

void Progress::Finish() {
  if (m_open) std::cerr << "\n" << std::flush;
  m_open = false;
}

// --- text ---------------------------------------------------------------------

std::string IsoDateTime(int year, int month, int day, int hour, int minute, int second) {
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", year, month, day, hour, minute, second);
  return text;
}

std::string IsoFromTime(std::time_t time) {
  std::tm parts{};
  if (::gmtime_r(&time, &parts) == nullptr) return std::string();
  return IsoDateTime(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min,
                     parts.tm_sec) +
         "Z";
}

std::string IsoFromFileTime(std::uint64_t fileTime) {
  if (fileTime == 0) return std::string();
  constexpr std::uint64_t kUnixEpoch = 116444736000000000ull;  // 1970-01-01 in file-time units
  const std::int64_t seconds =
      fileTime >= kUnixEpoch ? static_cast<std::int64_t>((fileTime - kUnixEpoch) / 10000000u)
                             : -static_cast<std::int64_t>((kUnixEpoch - fileTime + 9999999u) / 10000000u);
  return IsoFromTime(static_cast<std::time_t>(seconds));
}

std::string SizeText(std::uint64_t bytes) {
  std::string text = std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
  if (bytes < 1024) return text;
  static const char* const kUnits[] = {"KiB", "MiB", "GiB", "TiB"};
  double value = static_cast<double>(bytes) / 1024.0;
  int unit = 0;
  while (value >= 1024.0 && unit < 3) {
    value /= 1024.0;
    ++unit;
  }
  char shown[32];
  std::snprintf(shown, sizeof shown, " (%.1f %s)", value, kUnits[unit]);
  return text + shown;
}

namespace {

std::size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const bool same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                        std::tolower(static_cast<unsigned char>(b[j - 1]));
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::vector<std::string> CommandNames(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; })) {
    names.push_back(sub->get_name());
  }
  return names;
}

}  // namespace

std::string Suggest(const std::string& typed, const std::vector<std::string>& candidates) {
  std::string best;
  std::size_t bestDistance = 3;
  for (const std::string& candidate : candidates) {
    const std::size_t distance = EditDistance(typed, candidate);
    // Replacing every letter of a short word is no typo.
    if (distance < bestDistance && distance < typed.size()) {
      best = candidate;
      bestDistance = distance;
    }
  }
  if (!best.empty() || typed.size() < 2) return best;
  for (const std::string& candidate : candidates) {
    if (candidate.size() >= typed.size() && strncasecmp(candidate.c_str(), typed.c_str(), typed.size()) == 0) {
      return candidate;
    }
  }
  return std::string();
}

bool ReportUnknownCommand(CLI::App& app, int argc, char** argv) {
  CLI::App* current = &app;
  std::string path = app.get_name();
  for (int i = 1; i < argc; ++i) {
    const std::string word = argv[i];
    if (word.empty() || word[0] == '-') {
      // Only the groups are walked; their options take no values.
      continue;
    }
    const std::vector<std::string> names = CommandNames(*current);
    if (names.empty()) return false;  // a command: its own words follow
    CLI::App* next = nullptr;
    for (CLI::App* sub : current->get_subcommands([](const CLI::App*) { return true; })) {
      if (sub->get_name() == word) next = sub;
    }
    if (next) {
      current = next;
      path += " " + word;
      continue;
    }
    std::cerr << "quillon-cli: '" << word << "' is not a " << path << " command.";
    const std::string suggestion = Suggest(word, names);
    if (!suggestion.empty()) std::cerr << " Did you mean '" << suggestion << "'?";
    std::cerr << "\nRun '" << path << " --help' for the commands.\n";
    return true;
  }
  return false;
}

}  // namespace quillon::cli
