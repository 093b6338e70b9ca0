#include "tools/emulator/EmulatorDevice.h"

#include <poll.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <thread>

namespace quillon::emulator {

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kEsc = 0x1B;
constexpr long long kMaxUpload = 64LL << 20;

std::string Printable(const std::string& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c == 0x1B) {
      out += "<ESC>";
    } else if (c == '\r') {
      out += "<CR>";
    } else if (c == '\n') {
      out += "<LF>";
    } else if (c < 0x20 || c >= 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "<%02X>", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

bool EndsWith(const std::string& text, const char* tail) {
  const std::size_t n = std::strlen(tail);
  return text.size() >= n && text.compare(text.size() - n, n, tail) == 0;
}

void PutBigEndian32(std::string& out, uint32_t value) {
  out += static_cast<char>((value >> 24) & 0xFF);
  out += static_cast<char>((value >> 16) & 0xFF);
  out += static_cast<char>((value >> 8) & 0xFF);
  out += static_cast<char>(value & 0xFF);
}

// One connection: parser state, learn cycle and the byte budget of the
// close-after fault.
class Session {
 public:
  Session(EmulatorDevice& device, int fd, bool serial)
      : m_device(device), m_options(device.GetOptions()), m_fd(fd), m_serial(serial), m_tag(serial ? "serial" : "tcp") {}

  EmulatorDevice::End Run(const std::atomic<bool>& stop) {
    m_device.Log(std::string(m_tag) + " session start");
    Greet();
    char buffer[4096];
    while (!m_closed) {
      if (stop.load()) return EmulatorDevice::End::Stopped;
      pollfd p{m_fd, POLLIN, 0};
      const int rc = ::poll(&p, 1, 10);
      if (rc < 0 && errno != EINTR) return End(EmulatorDevice::End::PeerLeft);
      if (rc > 0 && (p.revents & POLLIN)) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) return End(EmulatorDevice::End::PeerLeft);
        if (n > 0) {
          m_in.append(buffer, static_cast<std::size_t>(n));
          Process();
        }
      } else if (rc > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
        return End(EmulatorDevice::End::PeerLeft);
      }
      Tick();
    }
    return End(EmulatorDevice::End::FaultClosed);
  }

 private:
  EmulatorDevice::End End(EmulatorDevice::End how) {
    m_device.Log(std::string(m_tag) + (how == EmulatorDevice::End::FaultClosed ? " session closed by fault" : " session end"));
    return how;
  }

  void Greet() {
    // A serial device cannot tell when a program opens its port: it never
    // greets there, and its serial console needs no log-in.
    if (m_serial || !m_options.sendGreeting) return;
    std::string text = m_options.greeting + "\r\n";
    if (!m_options.password.empty()) {
      text += "Password: ";
      m_awaitingPassword = true;
    }
    Send(text);
  }

  // --- output ---

  bool WriteAll(const char* p, std::size_t n) {
    while (n > 0) {
      const ssize_t w = ::write(m_fd, p, n);
      if (w > 0) {
        p += w;
        n -= static_cast<std::size_t>(w);
        continue;
      }
      if (w < 0 && errno != EAGAIN && errno != EINTR) return false;
      pollfd q{m_fd, POLLOUT, 0};
      if (::poll(&q, 1, 5000) <= 0) return false;
    }
    return true;
  }

  // Sends bytes under the close-after budget; false once the connection is
  // (to be) closed.
  bool Send(const std::string& bytes) {
    if (m_closed) return false;
    std::size_t n = bytes.size();
    bool closeNow = false;
    if (m_options.closeAfterBytes >= 0 && m_sent + static_cast<long long>(n) > m_options.closeAfterBytes) {
      n = static_cast<std::size_t>(std::max(0LL, m_options.closeAfterBytes - m_sent));
      closeNow = true;
    }
    if (n > 0 && !WriteAll(bytes.data(), n)) {
      m_closed = true;
      return false;
    }
    m_sent += static_cast<long long>(n);
    if (closeNow) {
      m_device.Log(std::string(m_tag) + " fault: closing after " + std::to_string(m_sent) + " bytes");
      m_closed = true;
      return false;
    }
    return true;
  }

  void SlowDown() {
    if (m_options.slowReplyMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(m_options.slowReplyMs));
  }

  // A text reply (junk when the garbage fault is on).
  void ReplyText(const std::string& text) {
    SlowDown();
    Send(m_options.garbageReplies ? std::string("#@!?%&*~^\r\n") : text + "\r\n");
  }

  // --- input ---

  void Process() {
    while (!m_closed) {
      if (m_uploadRemaining > 0) {
        const std::size_t take = static_cast<std::size_t>(std::min<long long>(m_uploadRemaining, static_cast<long long>(m_in.size())));
        if (take == 0) return;
        m_upload.insert(m_upload.end(), m_in.begin(), m_in.begin() + static_cast<std::ptrdiff_t>(take));
        m_in.erase(0, take);
        m_uploadRemaining -= static_cast<long long>(take);
        if (m_uploadRemaining == 0) FinishUpload();
        continue;
      }
      if (m_in.empty()) return;
      if (m_awaitingPassword) {
        const std::size_t end = m_in.find_first_of("\r\n");
        if (end == std::string::npos) return;
        const std::string line = m_in.substr(0, end);
        std::size_t skip = end + 1;
        while (skip < m_in.size() && (m_in[skip] == '\n' || m_in[skip] == '\r')) ++skip;
        m_in.erase(0, skip);
        CheckPassword(line);
        continue;
      }
      const char c = m_in[0];
      if (c == kEsc) {
        const std::size_t end = m_in.find('\r');
        if (end == std::string::npos) return;
        const std::string body = m_in.substr(1, end - 1);
        m_in.erase(0, end + 1);
        m_device.Log(std::string(m_tag) + " <ESC>" + Printable(body) + "<CR>");
        Escape(body);
      } else if (c == 'W') {
        const std::size_t end = m_in.find('|');
        if (end == std::string::npos) {
          if (m_in.size() > 64) Junk(1);
          return;
        }
        const std::string command = m_in.substr(0, end + 1);
        m_in.erase(0, end + 1);
        m_device.Log(std::string(m_tag) + " " + Printable(command));
        Bar(command);
      } else if (c == 'n') {
        if (m_in.size() < 2) return;
        if (m_in[1] != '|') {
          Junk(1);
          continue;
        }
        m_in.erase(0, 2);
        m_device.Log(std::string(m_tag) + " n|");
        ReplyText(m_options.serialNumber);
      } else if (c == '1' || c == '2' || c == '4') {
        if (m_in.size() < 2) return;
        if (m_in[1] != 'I') {
          Junk(1);
          continue;
        }
        m_in.erase(0, 2);
        m_device.Log(std::string(m_tag) + " " + c + "I");
        if (c == '1') ReplyText(m_options.info2);
        if (c == '2') ReplyText(m_options.info3);
        if (c == '4') ReplyText(MemoryText());
      } else if (c == 'N' || c == 'Q') {
        m_in.erase(0, 1);
        m_device.Log(std::string(m_tag) + " " + c);
        ReplyText(c == 'N' ? m_device.PartNumber() : m_options.firmware);
      } else {
        Junk(1);
      }
    }
  }

  void Junk(std::size_t count) {
    if (m_in.compare(0, count, "\r") != 0 && m_in.compare(0, count, "\n") != 0) {
      m_device.Log(std::string(m_tag) + " unknown byte " + Printable(m_in.substr(0, count)));
    }
    m_in.erase(0, count);
  }

  void CheckPassword(const std::string& line) {
    m_device.Log(std::string(m_tag) + " password " + (line == m_options.password ? "accepted" : "refused"));
    SlowDown();
    if (line != m_options.password) {
      Send("Invalid password\r\nPassword: ");
      return;
    }
    m_awaitingPassword = false;
    Send(m_options.admin ? "Login admin\r\n" : "Login user\r\n");
  }

  std::string MemoryText() const {
    const long long used = (m_device.Store().UsedBytes() + 1023) / 1024;
    return std::to_string(used) + " kB used of " + std::to_string(m_options.capacity);
  }

  void Bar(const std::string& command) {
    if (command == "Wcn|") {
      ReplyText(m_options.name);
    } else if (command == "WIL|") {
      ReplyText("IRS " + std::to_string(m_irState));
    } else if (command == "WAE|") {
      ReplyText(std::to_string(m_device.RunningEvents()));
    } else if (command == "W1FF|") {
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
      ReplyText("OK");
    } else if (command == "W1IL|") {
      if (m_device.IsLearner()) StartLearn();
      ReplyText(m_device.IsLearner() ? "OK" : "ERR");
    } else if (command == "W0IL|") {
      AbortLearn();
      ReplyText("OK");
    } else if (command == "W2*0*0IL|") {
      if (!m_device.IsLearner()) {
        ReplyText("ERR");
        return;
      }
      if (m_irState != 4 && m_irState != 5 && m_irState != 2) StartLearn();
      m_captureWanted = true;
      Tick();
    } else if (command == "Wdf|") {
      const std::string list = m_device.Store().ListText();
      SlowDown();
      Send(m_options.garbageReplies ? std::string("#@!?%&*~^\r\n") : (list.empty() ? std::string("\r\n") : list));
    } else {
      ReplyText("ERR");
    }
  }

  void Escape(const std::string& body) {
    if (body.compare(0, 3, "+UF") == 0) {
      const char* p = body.c_str() + 3;
      char* end = nullptr;
      errno = 0;
      const long long count = std::strtoll(p, &end, 10);
      if (end == p || *end != ',' || errno != 0 || count < 1 || count > kMaxUpload) {
        ReplyText("ERR");
        return;
      }
      m_uploadName = std::string(end + 1);
      m_upload.clear();
      m_uploadRemaining = count;
      return;
    }
    if (EndsWith(body, "SF")) {
      Download(body.substr(0, body.size() - 2));
    } else if (EndsWith(body, "EF")) {
      ReplyText(m_device.Store().Remove(body.substr(0, body.size() - 2)) ? "OK" : "ERR");
    } else if (body == "0AE") {
      m_device.StopRunningEvents();
      ReplyText("OK");
    } else if (body == "1AE") {
      m_device.StartRunningEvents();
      ReplyText("OK");
    } else if (EndsWith(body, "IC") || EndsWith(body, "IR")) {
      ReplyText("OK");
    } else {
      ReplyText("ERR");
    }
  }

  void FinishUpload() {
    m_device.Log(std::string(m_tag) + " data " + std::to_string(m_upload.size()) + " bytes for " + Printable(m_uploadName));
    const long long used = m_device.Store().UsedBytes();
    const bool fits = used + static_cast<long long>(m_upload.size()) <= m_options.capacity;
    const bool stored = fits && m_device.Store().Put(m_uploadName, m_upload);
    m_upload.clear();
    ReplyText(stored ? "OK" : "ERR");
  }

  void Download(const std::string& name) {
    std::string reply;
    const auto data = m_options.zeroDownload ? std::nullopt : m_device.Store().Get(name);
    if (!data) {
      PutBigEndian32(reply, 0);
    } else {
      PutBigEndian32(reply, static_cast<uint32_t>(data->size()));
      const std::size_t sent = m_options.shortDownload ? data->size() / 2 : data->size();
      reply.append(reinterpret_cast<const char*>(data->data()), sent);
    }
    SlowDown();
    Send(reply);
  }

  // --- learn cycle: 4 waiting for the first pulse, 5 capturing, 2 complete,
  // 3 aborted, 0 idle ---

  void SetIrState(int state) {
    if (m_irState != state) m_device.Log(std::string(m_tag) + " learn state " + std::to_string(state));
    m_irState = state;
    m_stateSince = Clock::now();
  }

  void StartLearn() { SetIrState(4); }

  void AbortLearn() {
    m_captureWanted = false;
    SetIrState((m_irState == 4 || m_irState == 5) ? 3 : 0);
  }

  void Tick() {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_stateSince).count();
    if (m_irState == 4 && elapsed >= m_options.firstPulseMs) {
      SetIrState(5);
    } else if (m_irState == 5 && elapsed >= m_options.captureMs) {
      SetIrState(2);
    } else if (m_irState == 3 && elapsed >= 500) {
      SetIrState(0);
    }
    if (m_captureWanted && m_irState == 2) {
      m_captureWanted = false;
      SendCapture();
      SetIrState(0);
    }
  }

  void SendCapture() {
    std::vector<uint8_t> capture = m_device.NextCapture();
    std::string bytes(capture.begin(), capture.end());
    bool closeAfter = false;
    if (m_options.shortCapture || m_options.dropInCapture) {
      if (m_device.IsHalvar()) {
        bytes.resize(bytes.size() / 2);
      } else if (bytes.size() >= 4) {
        // Keep the announced count; send only half of the records.
        const std::size_t records = (bytes.size() - 4) / 6;
        bytes.resize(4 + (records / 2) * 6);
      }
      closeAfter = m_options.dropInCapture;
    }
    m_device.Log(std::string(m_tag) + " capture " + std::to_string(bytes.size()) + " of " +
                 std::to_string(capture.size()) + " bytes");
    SlowDown();
    Send(bytes);
    if (closeAfter) {
      m_device.Log(std::string(m_tag) + " fault: closing in the middle of a capture");
      m_closed = true;
    }
  }

  EmulatorDevice& m_device;
  const EmulatorOptions& m_options;
  int m_fd;
  bool m_serial;
  const char* m_tag;
  std::string m_in;
  bool m_awaitingPassword = false;
  bool m_closed = false;
  long long m_sent = 0;
  long long m_uploadRemaining = 0;
  std::string m_uploadName;
  std::vector<uint8_t> m_upload;
  int m_irState = 0;
  Clock::time_point m_stateSince = Clock::now();
  bool m_captureWanted = false;
};

}  // namespace

EmulatorDevice::EmulatorDevice(EmulatorOptions options)
    : m_options(std::move(options)),
      m_store(m_options.storeFolder),
      m_captures(m_options.learner == "halvar", m_options.captureFolder, m_options.presses),
      m_runningEvents(m_options.runningEvents) {
  if (!m_options.logFile.empty()) m_log = std::fopen(m_options.logFile.c_str(), "a");
}

EmulatorDevice::~EmulatorDevice() {
  if (m_log) std::fclose(m_log);
}

std::string EmulatorDevice::PartNumber() const {
  if (!m_options.partNumber.empty()) return m_options.partNumber;
  if (m_options.learner == "halvar") return "72-1030-01";
  if (m_options.learner == "qvx") return "71-650-04";
  return "71-660-08";
}

EmulatorDevice::End EmulatorDevice::Serve(int fd, bool serial, const std::atomic<bool>& stop) {
  Session session(*this, fd, serial);
  return session.Run(stop);
}

void EmulatorDevice::Log(const std::string& line) {
  timeval tv{};
  ::gettimeofday(&tv, nullptr);
  std::tm t{};
  const std::time_t seconds = tv.tv_sec;
  localtime_r(&seconds, &t);
  char stamp[48];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                t.tm_hour, t.tm_min, t.tm_sec, static_cast<int>(tv.tv_usec / 1000));
  std::lock_guard<std::mutex> lock(m_logMutex);
  FILE* out = m_log ? m_log : stderr;
  std::fprintf(out, "[%s] %s\n", stamp, line.c_str());
  std::fflush(out);
}

int EmulatorDevice::RunningEvents() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_runningEvents;
}

void EmulatorDevice::StopRunningEvents() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_runningEvents > 0) m_stoppedEvents = m_runningEvents;
  m_runningEvents = 0;
}

void EmulatorDevice::StartRunningEvents() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_runningEvents == 0) m_runningEvents = m_stoppedEvents;
  m_stoppedEvents = 0;
}

}  // namespace quillon::emulator
