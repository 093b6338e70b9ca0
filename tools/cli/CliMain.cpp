#include <algorithm>
#include <csignal>
#include <iostream>
#include <utility>
#include <vector>

#include "quillon/Version.h"
#include "tools/cli/CliCommand.h"

namespace quillon::cli {
namespace {

const char kConventions[] =
    "Conventions:\n"
    "  -            standard input or output, wherever a file is read or written\n"
    "  --force      replaces an output file that exists (an edited driver is always\n"
    "               written back); outputs are written to a temporary file and\n"
    "               renamed, so a failure never leaves half a file; a symbolic link\n"
    "               stays a link and its target is replaced\n"
    "  --json       machine-readable output on the commands that print data;\n"
    "               dates are ISO 8601\n"
    "  --lenient    exit status 0 although warnings left the result incomplete\n"
    "  --progress   progress on stderr for long work (shown anyway on a terminal)\n"
    "Data goes to standard output; states, progress and messages to standard error.\n"
    "Exit status: 0 when everything asked was done; 1 when it failed or is\n"
    "incomplete (one line on stderr names the file, device or address and the\n"
    "reason); 2 for a mistake in the command line.\n"
    "Run 'quillon-cli COMMAND --help' for a command's options, or 'quillon-cli --help-all'\n"
    "for every command at once.";

std::vector<std::pair<std::string, GroupRegistrar>>& Registrars() {
  static std::vector<std::pair<std::string, GroupRegistrar>> registrars;
  return registrars;
}

}  // namespace

bool RegisterGroup(const char* id, GroupRegistrar registrar) {
  Registrars().emplace_back(id, registrar);
  return true;
}

CLI::App& Group(CLI::App& app, const std::string& name, const std::string& description) {
  for (CLI::App* existing : app.get_subcommands([](CLI::App*) { return true; })) {
    if (existing->get_name() == name) return *existing;
  }
  CLI::App* group = app.add_subcommand(name, description);
  group->require_subcommand(1);
  return *group;
}

}  // namespace quillon::cli

int main(int argc, char** argv) {
  using namespace quillon::cli;
  CLI::App app{"quillon-cli: build, inspect and transfer IR remote-control drivers"};
  app.name("quillon-cli");
  app.require_subcommand(1);
  app.set_version_flag("--version", std::string("quillon-cli ") + QUILLON_VERSION_TEXT);
  app.set_help_all_flag("--help-all", "Print the help of every command and exit");
  app.footer(kConventions);
  auto& registrars = Registrars();
  std::sort(registrars.begin(), registrars.end());
  for (const auto& [id, registrar] : registrars) registrar(app);
  // A closed pipe (quillon-cli ... | head) ends the program quietly.
  std::signal(SIGPIPE, SIG_DFL);
  if (ReportUnknownCommand(app, argc, argv)) return 2;
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    app.exit(e);
    return 2;
  } catch (const UsageError& e) {
    std::cerr << "quillon-cli: " << e.what() << "\n";
    return 2;
  } catch (const std::exception& e) {
    std::string message = e.what();
    std::replace(message.begin(), message.end(), '\n', ' ');
    std::cerr << "quillon-cli: " << message << "\n";
    return 1;
  }
  return 0;
}
