#pragma once
// Test support for the device-link integration tests: runs the real
// qvx-emulator program on 127.0.0.1 (and a pseudo-terminal), writes a
// settings file with short time-outs, and collects the link's events.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "app/CEmbeddedResources.h"
#include "app/CMemINI.h"
#include "devicelink/CQVX.h"
#include "devicelink/CQVXConnectionSerial.h"
#include "devicelink/CQVXConnectionTCP.h"
#include "devicelink/CQVXEventList.h"
#include "platform/TcpSocket.h"

namespace quillon::linktest {

inline std::string TempDir(const std::string& tag) {
  static int counter = 0;
  const auto dir = std::filesystem::temp_directory_path() /
                   ("quillon-link-" + tag + "-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  return dir.string();
}

// The emulator program, started with the given options and stopped (by its
// own process id) when the object goes.
class Emulator {
 public:
  explicit Emulator(std::vector<std::string> args, bool pty = false) {
    m_dir = TempDir("emu");
    m_log = m_dir + "/commands.log";
    std::vector<std::string> all = {std::string(QUILLON_BINARY_DIR) + "/tools/emulator/qvx-emulator", "--lifetime",
                                    "120", "--log", m_log};
    if (pty) all.push_back("--pty");
    all.insert(all.end(), args.begin(), args.end());
    int out[2];
    if (::pipe(out) != 0) return;
    m_pid = ::fork();
    if (m_pid == 0) {
      ::dup2(out[1], 1);
      ::close(out[0]);
      ::close(out[1]);
      std::vector<char*> argv;
      for (auto& a : all) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (text.find("READY\n") == std::string::npos && std::chrono::steady_clock::now() < deadline) {
      pollfd p{out[0], POLLIN, 0};
      if (::poll(&p, 1, 100) <= 0) continue;
      char buffer[256];
      const ssize_t n = ::read(out[0], buffer, sizeof buffer);
      if (n <= 0) break;
      text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    std::istringstream lines(text);
    std::string word;
    while (lines >> word) {
      if (word == "TCP") {
        std::string address;
        lines >> address >> m_port;
      } else if (word == "PTY") {
        lines >> m_ptyPath;
      }
    }
  }
  ~Emulator() {
    if (m_pid > 0) {
      ::kill(m_pid, SIGTERM);
      int status = 0;
      ::waitpid(m_pid, &status, 0);
    }
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
  }
  Emulator(const Emulator&) = delete;
  Emulator& operator=(const Emulator&) = delete;

  bool Ready() const { return m_port > 0; }
  // Ends the emulator at once, as a device that loses power.
  void Kill() {
    if (m_pid <= 0) return;
    ::kill(m_pid, SIGKILL);
    int status = 0;
    ::waitpid(m_pid, &status, 0);
    m_pid = -1;
  }
  int Port() const { return m_port; }
  const std::string& PtyPath() const { return m_ptyPath; }
  const std::string& Dir() const { return m_dir; }
  std::string Log() const {
    std::ifstream in(m_log);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  // How many logged commands contain text.
  int CountInLog(const std::string& text) const {
    const std::string log = Log();
    int n = 0;
    for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
    return n;
  }

 private:
  pid_t m_pid = -1;
  int m_port = 0;
  std::string m_ptyPath;
  std::string m_dir;
  std::string m_log;
};

// A settings file: the embedded quillon.ini with short time-outs so the
// tests run quickly, plus any overrides.
inline std::string WriteSettings(const std::string& dir, const std::map<std::string, std::string>& overrides = {}) {
  CMemINI ini;
  ini.LoadBuffer(CEmbeddedResources::IniText(CEmbeddedResources::kQuillonIni));
  const std::map<std::string, std::string> quick = {{"gen_query_timeout", "1500"}, {"gen_query_eoftimeout", "30"},
                                                    {"update_interval", "400"},    {"file_list_timeout", "1500"},
                                                    {"file_list_eoftimeout", "100"}, {"ir_cmd_timeout", "3000"},
                                                    {"download_timeout", "1500"},  {"upload_ack_timeout", "1500"}};
  for (const auto& [key, value] : quick) ini.SetString("ProgramSettings", key, value);
  for (const auto& [key, value] : overrides) ini.SetString("ProgramSettings", key, value);
  const std::string path = dir + "/quillon.ini";
  ini.SaveFile(path);
  return path;
}

inline std::unique_ptr<CQVXConnectionTCP> Tcp(int port, const std::string& password = std::string()) {
  auto tcp = std::make_unique<CQVXConnectionTCP>();
  tcp->SetAddress(127, 0, 0, 1);
  tcp->SetPort(port);
  tcp->SetPassword(password);
  return tcp;
}

// Gathers every event the link posts and every state it passes through.
class Watcher {
 public:
  explicit Watcher(CQVX& link) : m_link(link) {}

  // Polls until pred holds (true) or timeoutMs passes (false).
  bool WaitFor(const std::function<bool()>& pred, int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      Poll();
      if (pred()) return true;
      if (std::chrono::steady_clock::now() >= deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  bool WaitForEvent(uint32_t kind, int timeoutMs, int occurrences = 1) {
    return WaitFor([&] { return Count(kind) >= occurrences; }, timeoutMs);
  }
  bool WaitForEnd(int timeoutMs) {
    return WaitFor([&] { return !m_link.IsRunning() && Count(4) >= 1; }, timeoutMs);
  }
  void Poll() {
    const int state = m_link.GetState();
    if (m_states.empty() || m_states.back() != state) m_states.push_back(state);
    m_link.TakeEvents(m_events);
  }
  int Count(uint32_t kind) const {
    int n = 0;
    for (int i = 0; i < m_events.GetCount(); ++i) n += m_events.At(i)->GetType() == kind ? 1 : 0;
    return n;
  }
  std::vector<uint32_t> Kinds() const {
    std::vector<uint32_t> kinds;
    for (int i = 0; i < m_events.GetCount(); ++i) kinds.push_back(m_events.At(i)->GetType());
    return kinds;
  }
  // The last event of a kind, or null.
  CQVXEvent* Last(uint32_t kind) const {
    for (int i = m_events.GetCount() - 1; i >= 0; --i) {
      if (m_events.At(i)->GetType() == kind) return m_events.At(i);
    }
    return nullptr;
  }
  const std::vector<int>& States() const { return m_states; }
  std::string Describe() const {
    std::string text = "events:";
    for (uint32_t k : Kinds()) text += " " + std::to_string(k);
    text += " states:";
    for (int s : m_states) text += " " + std::to_string(s);
    return text;
  }

 private:
  CQVX& m_link;
  CQVXEventList m_events;
  std::vector<int> m_states;
};

}  // namespace quillon::linktest
