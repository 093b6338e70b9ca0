#pragma once
// Running the real quillon-cli from a test: in a temporary folder of its
// own, with standard input from a text, standard output and error read
// back, and the exit status. Header-only, so every test suite can use it.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace quillon::testsupport {

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteWhole(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

// 'text' with single quotes escaped, for a POSIX shell.
inline std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

class CliRunner {
 public:
  // PROGRAM: the quillon-cli binary. A fresh folder is made for the run's
  // files and removed again.
  explicit CliRunner(std::string program) : m_program(std::move(program)) {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillon-cli-run-XXXXXX").string();
    m_dir = ::mkdtemp(pattern.data());
  }
  ~CliRunner() {
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
  }
  CliRunner(const CliRunner&) = delete;
  CliRunner& operator=(const CliRunner&) = delete;

  bool Available() const { return std::filesystem::exists(m_program); }
  const std::string& Dir() const { return m_dir; }
  std::string Path(const std::string& name) const { return m_dir + "/" + name; }
  const std::string& Program() const { return m_program; }

  // Runs the program with ARGS (already shell-quoted where needed), in the
  // folder, with INPUT on standard input; ENV is put before the command
  // ("QUILLON_USER_REGISTRY=..."). Bounded to 120 s.
  CliResult Run(const std::string& args, const std::string& input = std::string(), const std::string& env = "") const {
    const std::string in = m_dir + "/.stdin", out = m_dir + "/.stdout", err = m_dir + "/.stderr";
    WriteWhole(in, input);
    const std::string command = "cd " + Quote(m_dir) + " && " + env + " timeout 120 " + Quote(m_program) + " " +
                                args + " <" + Quote(in) + " >" + Quote(out) + " 2>" + Quote(err);
    const int raw = std::system(command.c_str());
    CliResult result;
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = ReadWhole(out);
    result.err = ReadWhole(err);
    return result;
  }

  // Starts the program with ARGS without waiting; its output goes to the
  // files StartedOut() and StartedErr() name. Returns its process id (the
  // program itself, so a signal sent to it reaches the program).
  pid_t Start(const std::string& args) const {
    const std::string command = "cd " + Quote(m_dir) + " && exec " + Quote(m_program) + " " + args + " </dev/null >" +
                                Quote(StartedOut()) + " 2>" + Quote(StartedErr());
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    return pid;
  }
  std::string StartedOut() const { return m_dir + "/.started-stdout"; }
  std::string StartedErr() const { return m_dir + "/.started-stderr"; }
  // Waits for a started program (at most TIMEOUTS seconds, then kills it);
  // returns its result.
  CliResult Wait(pid_t pid, int timeoutSeconds = 120) const {
    int raw = 0;
    for (int i = 0; i < timeoutSeconds * 10; ++i) {
      if (::waitpid(pid, &raw, WNOHANG) == pid) {
        return CliResult{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadWhole(StartedOut()), ReadWhole(StartedErr())};
      }
      ::usleep(100000);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, &raw, 0);
    return CliResult{-1, ReadWhole(StartedOut()), ReadWhole(StartedErr())};
  }
  // Waits until the started program's stderr holds TEXT (at most
  // TIMEOUTSECONDS); false when it did not come.
  bool WaitForStderr(const std::string& text, int timeoutSeconds = 60) const {
    for (int i = 0; i < timeoutSeconds * 20; ++i) {
      if (ReadWhole(StartedErr()).find(text) != std::string::npos) return true;
      ::usleep(50000);
    }
    return false;
  }

 private:
  std::string m_program;
  std::string m_dir;
};

}  // namespace quillon::testsupport
