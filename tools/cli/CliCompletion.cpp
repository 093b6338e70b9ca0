// "completion bash": prints a bash completion script for quillon-cli, made
// from the commands and options registered here, so it never falls behind
// the program. Install it as /usr/share/bash-completion/completions/quillon-cli
// or load it with: source <(quillon-cli completion bash)
#include <iostream>
#include <string>
#include <vector>

#include "tools/cli/CliCommand.h"

namespace quillon::cli {
namespace {

struct Entry {
  std::string path;  // "driver show"; "" for the program itself
  std::vector<std::string> commands;
  std::vector<std::string> options;
};

void Collect(const CLI::App& app, const std::string& path, std::vector<Entry>& out) {
  Entry entry;
  entry.path = path;
  for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; })) {
    entry.commands.push_back(sub->get_name());
  }
  for (const CLI::Option* option : app.get_options()) {
    for (const std::string& name : option->get_lnames()) entry.options.push_back("--" + name);
    for (const std::string& name : option->get_snames()) entry.options.push_back("-" + name);
  }
  out.push_back(entry);
  for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; })) {
    Collect(*sub, path.empty() ? sub->get_name() : path + " " + sub->get_name(), out);
  }
}

std::string Join(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) text += (text.empty() ? "" : " ") + word;
  return text;
}

void PrintBash(const CLI::App& root) {
  std::vector<Entry> entries;
  Collect(root, "", entries);
  std::cout << "# bash completion for quillon-cli " << "(made by: quillon-cli completion bash)\n"
            << "__quillon_cli_commands() {\n  case \"$1\" in\n";
  for (const Entry& e : entries) {
    if (!e.commands.empty()) std::cout << "    \"" << e.path << "\") echo \"" << Join(e.commands) << "\" ;;\n";
  }
  std::cout << "  esac\n}\n"
            << "__quillon_cli_options() {\n  case \"$1\" in\n";
  for (const Entry& e : entries) {
    if (!e.options.empty()) std::cout << "    \"" << e.path << "\") echo \"" << Join(e.options) << "\" ;;\n";
  }
  std::cout << "  esac\n}\n"
            << "_quillon_cli() {\n"
            << "  local cur=\"${COMP_WORDS[COMP_CWORD]}\" path=\"\" word i\n"
            << "  for ((i = 1; i < COMP_CWORD; i++)); do\n"
            << "    word=\"${COMP_WORDS[i]}\"\n"
            << "    case \"$word\" in -*) continue ;; esac\n"
            << "    case \" $(__quillon_cli_commands \"$path\") \" in\n"
            << "      *\" $word \"*) path=\"${path:+$path }$word\" ;;\n"
            << "    esac\n"
            << "  done\n"
            << "  local commands options\n"
            << "  commands=\"$(__quillon_cli_commands \"$path\")\"\n"
            << "  options=\"$(__quillon_cli_options \"$path\")\"\n"
            << "  if [[ \"$cur\" == -* ]]; then\n"
            << "    COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
            << "  elif [[ -n \"$commands\" ]]; then\n"
            << "    COMPREPLY=($(compgen -W \"$commands\" -- \"$cur\"))\n"
            << "  else\n"
            << "    compopt -o filenames 2>/dev/null\n"
            << "    COMPREPLY=($(compgen -f -- \"$cur\"))\n"
            << "  fi\n"
            << "}\n"
            << "complete -F _quillon_cli quillon-cli\n";
}

void RegisterCompletion(CLI::App& app) {
  auto& group = Group(app, "completion", "Shell completion scripts");
  auto* bash = group.add_subcommand(
      "bash", "Print the bash completion script (install it in /usr/share/bash-completion/completions/quillon-cli, "
              "or: source <(quillon-cli completion bash))");
  CLI::App* root = &app;
  bash->callback([root] { PrintBash(*root); });
}

}  // namespace
}  // namespace quillon::cli

QUILLON_CLI_GROUP(completion, quillon::cli::RegisterCompletion);
