#pragma once
// What every command of quillon-cli shares, so that all of them follow the
// same conventions (they are listed in `quillon-cli --help`). A new command
// uses these instead of its own copies:
//
// Files
//   ReadFileBytes(path)          the whole file; "-" reads standard input.
//   WriteFileBytes(path, bytes)  through the safe writer (platform/SafeFile.h):
//                                a temporary file renamed over the target, a
//                                symbolic link keeps pointing at the new file,
//                                devices and pipes are written directly, "-"
//                                is standard output. (Both in CliCommand.h.)
//   CheckReadable(path)          the reason an input cannot be read, early.
//   AddForceFlag(cmd, force)     the --force of a command that writes files.
//   CheckOutput(path, force)     called before any work is done: the output
//                                can be written and, unless --force, does not
//                                exist yet. "-", devices and pipes always pass.
//
// Data and messages
//   AddJsonFlag(cmd, json)       --json on every command that prints data.
//   PrintJson(value)             the JSON document on standard output.
//   AddLenientFlag(cmd, lenient) --lenient.
//   Warnings                     warnings that leave a result incomplete: each
//                                is printed on stderr at once; Finish() (after
//                                the result was written) fails the command
//                                with exit status 1 unless --lenient.
//   ParseNumber(text, what, lo, hi)  a whole decimal number in a range, or a
//                                CliError naming WHAT and the range.
//
// Progress
//   AddProgressFlag(cmd, on)     --progress.
//   Progress                     "Uploading 12.vir: 512 of 2048 bytes (25%)"
//                                on stderr, only when stderr is a terminal or
//                                --progress was given; never on stdout.
//
// Text
//   IsoDateTime(...), IsoFromFileTime(t)  dates in ISO 8601.
//   SizeText(bytes)              "2048 bytes (2.0 KiB)" for people.
//   Suggest(typed, candidates)   the closest candidate for "did you mean".
//
// Listings print a header line first, and say so when they are empty
// ("No files on the device."), so a reader never wonders whether a command
// printed nothing because it failed.
#include <CLI/CLI.hpp>

#include <cstdint>
#include <ctime>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace quillon::cli {

// --- files --------------------------------------------------------------------

void AddForceFlag(CLI::App* command, bool& force);
// Throws CliError "PATH: reason" unless PATH is a file that can be opened
// for reading ("PATH: Is a directory" for a folder). Reads nothing.
void CheckReadable(const std::string& path);
// Throws CliError "PATH: file exists (use --force to replace it)" or the
// reason PATH cannot be written ("PATH: Permission denied").
void CheckOutput(const std::string& path, bool force);

// --- data and messages --------------------------------------------------------

void AddJsonFlag(CLI::App* command, bool& json, const std::string& shape = std::string());
void PrintJson(const nlohmann::ordered_json& value);

void AddLenientFlag(CLI::App* command, bool& lenient);

class Warnings {
 public:
  explicit Warnings(bool lenient) : m_lenient(lenient) {}
  // Prints TEXT on stderr ("quillon-cli: warning: TEXT") and counts it.
  void Add(const std::string& text);
  int Count() const { return m_count; }
  // Throws CliError SUMMARY (exit status 1) when warnings were given and
  // --lenient was not.
  void Finish(const std::string& summary) const;

 private:
  bool m_lenient;
  int m_count = 0;
};

// TEXT as a whole decimal number from LO to HI; otherwise CliError
// "WHAT: 'abc' is not a number" or "WHAT: 300 is not in 1..255".
long ParseNumber(const std::string& text, const std::string& what, long lo, long hi);

// --- progress -----------------------------------------------------------------

void AddProgressFlag(CLI::App* command, bool& progress);

class Progress {
 public:
  // Shown when REQUESTED (--progress) or when stderr is a terminal.
  explicit Progress(bool requested);
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  bool Enabled() const { return m_enabled; }
  // "LABEL: DONE of TOTAL UNIT (P%)". On a terminal the line is redrawn in
  // place; otherwise a line is printed at every tenth of the way.
  void Show(const std::string& label, std::int64_t done, std::int64_t total, const std::string& unit);
  // Ends the line being redrawn.
  void Finish();

 private:
  bool m_enabled;
  bool m_terminal;
  bool m_open = false;
  int m_lastTenth = -1;
  std::string m_lastLabel;
};

// --- text ---------------------------------------------------------------------

// "2024-03-05T14:07:09" (no zone: the device's clock or a local time).
std::string IsoDateTime(int year, int month, int day, int hour, int minute, int second);
// A Windows file time (100 ns units since 1601, UTC) as "2024-03-05T14:07:09Z";
// "" for 0.
std::string IsoFromFileTime(std::uint64_t fileTime);
// A time_t in UTC as "2024-03-05T14:07:09Z".
std::string IsoFromTime(std::time_t time);
// "512 bytes", "2048 bytes (2.0 KiB)", "3145728 bytes (3.0 MiB)".
std::string SizeText(std::uint64_t bytes);

// The candidate closest to TYPED (edit distance at most 2, or a candidate
// TYPED is a prefix of); "" when none is close.
std::string Suggest(const std::string& typed, const std::vector<std::string>& candidates);

// Checks the words of the command line against the command groups before
// they are parsed: an unknown command gets "'shwo' is not a quillon-cli
// driver command. Did you mean 'show'?" on stderr. Returns true when it
// printed such a message (exit status 2).
bool ReportUnknownCommand(CLI::App& app, int argc, char** argv);

}  // namespace quillon::cli
