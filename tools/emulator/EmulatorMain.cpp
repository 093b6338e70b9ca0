// qvx-emulator: an IR-learning control processor on 127.0.0.1 (TCP) and on
// a pseudo-terminal (serial), for the demo and the integration tests.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/TcpSocket.h"
#include "quillon/Version.h"
#include "tools/emulator/DiscoveryResponder.h"
#include "tools/emulator/EmulatorDevice.h"

using quillon::emulator::EmulatorDevice;
using quillon::emulator::EmulatorOptions;

namespace {

std::atomic<bool> g_stop{false};

void OnSignal(int) { g_stop = true; }

const char kUsage[] =
    "Usage: qvx-emulator [OPTION]...\n"
    "An emulated IR-learning control processor on 127.0.0.1 (TCP) and on a\n"
    "pseudo-terminal (serial), for the demo and the tests. It prints \"TCP 127.0.0.1\n"
    "PORT\", \"PTY PATH\" and \"DISCOVERY PORT\" for what it serves, then \"READY\", and\n"
    "runs until it is signalled (or its lifetime ends).\n"
    "\n"
    "Options:\n"
    "  --port N              TCP port on 127.0.0.1 (0: any free port; prints \"TCP 127.0.0.1 <port>\")\n"
    "  --no-tcp              no TCP listener\n"
    "  --pty                 also serve a pseudo-terminal (prints \"PTY <path>\")\n"
    "  --part TEXT           part number (default by learner kind)\n"
    "  --firmware TEXT       firmware version reply (default 1.05)\n"
    "  --name TEXT           device name\n"
    "  --password TEXT       administrator password (the greeting asks for it)\n"
    "  --greeting TEXT       greeting text on TCP connections; --no-greeting sends none\n"
    "                        (the serial side never greets and needs no log-in)\n"
    "  --no-admin            log-in without administrator rights\n"
    "  --learner KIND        qvx, halvar or none (default qvx)\n"
    "  --captures DIR        capture files served in name order (default: built-in signals)\n"
    "  --presses N           report each signal N times in a row, as a user pressing\n"
    "                        each button N times (default 1; 2 for learn --verify)\n"
    "  --store DIR           folder used as the file store (default: in memory)\n"
    "  --capacity BYTES      store capacity (default 12000000)\n"
    "  --running-events N    events running on the device\n"
    "  --first-pulse-ms MS   time in learn state 4 (default 400)\n"
    "  --capture-ms MS       time in learn state 5 (default 300)\n"
    "  --close-after N       close a connection after sending N bytes\n"
    "  --slow MS             wait MS before every reply\n"
    "  --garbage             answer queries with junk\n"
    "  --short-capture       captures send half of the samples they announce\n"
    "  --drop-in-capture     close the connection halfway through a capture\n"
    "  --zero-download       every download has length 0\n"
    "  --short-download      a download sends half of the bytes it announces\n"
    "  --log FILE            command log (default: standard error)\n"
    "  --discovery           answer discovery asks (--ask-port N, --answer-port N)\n"
    "  --lifetime S          exit after S seconds (0: run until signalled)\n"
    "  -h, --help            show this help and exit\n"
    "  --version             show the version and exit\n"
    "\n"
    "Exit status: 0 after a signal or the end of the lifetime; 1 when a listener\n"
    "cannot be opened; 2 for a mistake in the command line.\n";

bool ParseInt(const char* text, long long* value) {
  char* end = nullptr;
  errno = 0;
  *value = std::strtoll(text, &end, 10);
  return end != text && *end == '\0' && errno == 0;
}

// Creates the pseudo-terminal; its slave side starts in raw mode.
int OpenPty(std::string* path) {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return -1;
  const char* name = ::ptsname(master);
  if (name == nullptr) return -1;
  *path = name;
  const int slave = ::open(name, O_RDWR | O_NOCTTY);
  if (slave >= 0) {
    termios t{};
    if (::tcgetattr(slave, &t) == 0) {
      ::cfmakeraw(&t);
      ::tcsetattr(slave, TCSANOW, &t);
    }
    ::close(slave);
  }
  return master;
}

void ServeTcp(EmulatorDevice& device, quillon::TcpSocket& listener) {
  std::vector<std::thread> sessions;
  while (!g_stop) {
    quillon::TcpSocket connection = listener.Accept(100);
    if (!connection.IsValid()) continue;
    sessions.emplace_back([&device, c = std::move(connection)]() mutable {
      device.Serve(c.Fd(), false, g_stop);
      c.Close();
    });
  }
  for (auto& t : sessions) t.join();
}

void ServePty(EmulatorDevice& device, int master) {
  while (!g_stop) {
    // While no program has the slave side open the master reports a hang-up.
    pollfd p{master, POLLIN, 0};
    const int rc = ::poll(&p, 1, 20);
    if (rc <= 0) continue;
    if ((p.revents & POLLHUP) && !(p.revents & POLLIN)) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      continue;
    }
    if (device.Serve(master, true, g_stop) == EmulatorDevice::End::FaultClosed) break;
  }
  ::close(master);
}

}  // namespace

int main(int argc, char** argv) {
  EmulatorOptions options;
  long long port = 0;
  bool tcp = true;
  bool pty = false;
  bool discovery = false;
  long long askPort = 1231;
  long long answerPort = 1230;
  long long lifetime = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto text = [&](std::string* out) {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "qvx-emulator: %s needs a value\n", arg.c_str());
        std::exit(2);
      }
      *out = argv[++i];
    };
    auto number = [&](auto* out) {
      std::string value;
      text(&value);
      long long n = 0;
      if (!ParseInt(value.c_str(), &n) || n < -1) {
        std::fprintf(stderr, "qvx-emulator: %s needs a number, got \"%s\"\n", arg.c_str(), value.c_str());
        std::exit(2);
      }
      *out = static_cast<std::remove_pointer_t<decltype(out)>>(n);
    };
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    } else if (arg == "--version") {
      std::printf("qvx-emulator %s\n", QUILLON_VERSION_TEXT);
      return 0;
    } else if (arg == "--port") {
      number(&port);
    } else if (arg == "--no-tcp") {
      tcp = false;
    } else if (arg == "--pty") {
      pty = true;
    } else if (arg == "--part") {
      text(&options.partNumber);
    } else if (arg == "--firmware") {
      text(&options.firmware);
    } else if (arg == "--name") {
      text(&options.name);
    } else if (arg == "--password") {
      text(&options.password);
    } else if (arg == "--greeting") {
      text(&options.greeting);
      options.sendGreeting = true;
    } else if (arg == "--no-greeting") {
      options.sendGreeting = false;
    } else if (arg == "--no-admin") {
      options.admin = false;
    } else if (arg == "--learner") {
      text(&options.learner);
      if (options.learner != "qvx" && options.learner != "halvar" && options.learner != "none") {
        std::fprintf(stderr, "qvx-emulator: --learner must be qvx, halvar or none\n");
        return 2;
      }
    } else if (arg == "--captures") {
      text(&options.captureFolder);
    } else if (arg == "--presses") {
      number(&options.presses);
      if (options.presses < 1) {
        std::fprintf(stderr, "qvx-emulator: --presses must be 1 or more\n");
        return 2;
      }
    } else if (arg == "--store") {
      text(&options.storeFolder);
    } else if (arg == "--capacity") {
      number(&options.capacity);
    } else if (arg == "--running-events") {
      number(&options.runningEvents);
    } else if (arg == "--first-pulse-ms") {
      number(&options.firstPulseMs);
    } else if (arg == "--capture-ms") {
      number(&options.captureMs);
    } else if (arg == "--close-after") {
      number(&options.closeAfterBytes);
    } else if (arg == "--slow") {
      number(&options.slowReplyMs);
    } else if (arg == "--garbage") {
      options.garbageReplies = true;
    } else if (arg == "--short-capture") {
      options.shortCapture = true;
    } else if (arg == "--drop-in-capture") {
      options.dropInCapture = true;
    } else if (arg == "--zero-download") {
      options.zeroDownload = true;
    } else if (arg == "--short-download") {
      options.shortDownload = true;
    } else if (arg == "--log") {
      text(&options.logFile);
    } else if (arg == "--discovery") {
      discovery = true;
    } else if (arg == "--ask-port") {
      number(&askPort);
    } else if (arg == "--answer-port") {
      number(&answerPort);
    } else if (arg == "--lifetime") {
      number(&lifetime);
    } else {
      std::fprintf(stderr, "qvx-emulator: unknown option %s (--help lists the options)\n", arg.c_str());
      return 2;
    }
  }

  struct sigaction action{};
  action.sa_handler = OnSignal;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);
  ::signal(SIGPIPE, SIG_IGN);

  EmulatorDevice device(options);
  quillon::TcpSocket listener;
  if (tcp) {
    if (!listener.Listen("127.0.0.1", static_cast<int>(port))) {
      std::fprintf(stderr, "qvx-emulator: cannot listen on 127.0.0.1:%lld: %s\n", port, std::strerror(listener.LastError()));
      return 1;
    }
    std::printf("TCP 127.0.0.1 %d\n", listener.BoundPort());
  }
  int master = -1;
  if (pty) {
    std::string path;
    master = OpenPty(&path);
    if (master < 0) {
      std::fprintf(stderr, "qvx-emulator: cannot create a pseudo-terminal: %s\n", std::strerror(errno));
      return 1;
    }
    std::printf("PTY %s\n", path.c_str());
  }
  quillon::DiscoveryResponder responder;
  if (discovery) {
    quillon::DiscoveryResponder::Options answer;
    answer.partNumber = device.PartNumber();
    answer.firmware = options.firmware;
    answer.name = options.name;
    answer.askPort = static_cast<uint16_t>(askPort);
    answer.answerPort = static_cast<uint16_t>(answerPort);
    answer.bindAddress = 0x7F000001;
    if (responder.Start(answer)) {
      std::printf("DISCOVERY %d\n", responder.AskPort());
    } else {
      std::fprintf(stderr, "qvx-emulator: discovery not answered: %s\n", responder.LastError().c_str());
    }
  }
  std::printf("READY\n");
  std::fflush(stdout);

  std::thread tcpThread;
  std::thread ptyThread;
  if (tcp) tcpThread = std::thread([&] { ServeTcp(device, listener); });
  if (pty) ptyThread = std::thread([&] { ServePty(device, master); });
  const auto start = std::chrono::steady_clock::now();
  while (!g_stop) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (lifetime > 0 && std::chrono::steady_clock::now() - start >= std::chrono::seconds(lifetime)) g_stop = true;
  }
  if (tcpThread.joinable()) tcpThread.join();
  if (ptyThread.joinable()) ptyThread.join();
  responder.Stop();
  return 0;
}
