// "version": prints the program version.
#include <iostream>

#include "quillon/Version.h"
#include "tools/cli/CliCommand.h"

namespace quillon::cli {
namespace {

void RegisterVersion(CLI::App& app) {
  auto* cmd = app.add_subcommand("version", "Print the program version");
  cmd->callback([] { std::cout << "quillon-cli " << QUILLON_VERSION_TEXT << "\n"; });
}

}  // namespace
}  // namespace quillon::cli

QUILLON_CLI_GROUP(version, quillon::cli::RegisterVersion);
