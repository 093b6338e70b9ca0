#pragma once
// Command groups of quillon-cli register themselves at start-up, so each
// group lives in its own source file (Cli<Group>.cpp) and main stays fixed.
#include <CLI/CLI.hpp>

#include <stdexcept>
#include <string>
#include <string_view>

#include "tools/cli/CliSupport.h"

namespace quillon::cli {

// A failure reported as one line on stderr with exit status 1.
struct CliError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// A misuse of the command line, reported with exit status 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

using GroupRegistrar = void (*)(CLI::App& app);

// Records a registrar; called from a static initialiser (QUILLON_CLI_GROUP).
bool RegisterGroup(const char* id, GroupRegistrar registrar);

// The top-level subcommand NAME, created on first use so that several
// source files can add commands to one group ("driver", "device", ...).
CLI::App& Group(CLI::App& app, const std::string& name, const std::string& description);

// Reads a whole file as bytes ("-": standard input); throws CliError
// "PATH: reason" on failure.
std::string ReadFileBytes(const std::string& path);

// Writes bytes through the safe writer ("-": standard output); throws
// CliError "PATH: reason". Callers check the output first (CheckOutput).
void WriteFileBytes(const std::string& path, std::string_view bytes);

}  // namespace quillon::cli

#define QUILLON_CLI_GROUP(id, fn) \
  static const bool quillon_cli_group_registered_##id = ::quillon::cli::RegisterGroup(#id, &fn)
