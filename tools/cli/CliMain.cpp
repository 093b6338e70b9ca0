#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <utility>
#include <vector>

#include "tools/cli/CliCommand.h"

namespace quillon::cli {
namespace {

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

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw CliError("cannot open " + path + ": " + std::strerror(errno));
  std::ostringstream buffer;
  buffer << in.rdbuf();
  if (in.bad()) throw CliError("cannot read " + path);
  return buffer.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  const std::string temp = path + ".tmp-quillon";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) throw CliError("cannot write " + path + ": " + std::strerror(errno));
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      std::remove(temp.c_str());
      throw CliError("cannot write " + path + ": " + std::strerror(errno));
    }
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    const int err = errno;
    std::remove(temp.c_str());
    throw CliError("cannot write " + path + ": " + std::strerror(err));
  }
}

}  // namespace quillon::cli

int main(int argc, char** argv) {
  using namespace quillon::cli;
  CLI::App app{"quillon-cli: build, inspect and transfer IR remote-control drivers"};
  app.name("quillon-cli");
  app.require_subcommand(1);
  auto& registrars = Registrars();
  std::sort(registrars.begin(), registrars.end());
  for (const auto& [id, registrar] : registrars) registrar(app);
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
