#include "app/CQuillonApp.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <limits.h>
#include <new>

#include "app/CAccessCodes.h"
#include "app/CConfigFiles.h"
#include "app/CProfile.h"
#include "app/CQuillonException.h"
#include "app/CReferenceLists.h"
#include "app/IPrompt.h"
#include "app/IQuillonShell.h"
#include "devicelink/CQVXConnectionType.h"
#include "devicelink/CQVXConnectionTypeList.h"
#include "devicelink/CQVXDeviceTypeList.h"
#include "library/CDriverLibraryScan.h"
#include "library/CLibraryFolder.h"
#include "library/CPromptOldPkgWarningView.h"
#include "quillon/Version.h"

namespace quillon {
namespace {

// Application strings kept out of the program's plain data: each byte is the
// character XOR (0xA7 + 53 * position), worked out when the program is
// compiled, so only the scrambled bytes are stored.
template <std::size_t N>
struct ScrambledText {
  std::array<unsigned char, N - 1> bytes{};
};

template <std::size_t N>
consteval ScrambledText<N> Scramble(const char (&text)[N]) {
  ScrambledText<N> scrambled;
  for (std::size_t i = 0; i + 1 < N; ++i) {
    scrambled.bytes[i] = static_cast<unsigned char>(static_cast<unsigned char>(text[i]) ^ ((0xA7 + 53 * i) & 0xFF));
  }
  return scrambled;
}

template <std::size_t N>
std::string Unscramble(const ScrambledText<N>& scrambled) {
  std::string text(N - 1, '\0');
  for (std::size_t i = 0; i + 1 < N; ++i) {
    text[i] = static_cast<char>(scrambled.bytes[i] ^ ((0xA7 + 53 * i) & 0xFF));
  }
  return text;
}

constexpr auto kClipboardFormat = Scramble("Quillon.DriverFunctions");
constexpr auto kMakerWebAddress = Scramble("https://quillon.github.io/");

CQuillonApp* g_current = nullptr;

std::function<bool()>& LibraryCheck() {
  static std::function<bool()> check;
  return check;
}

bool IsNonEmptyFile(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
}

std::string WithSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string ProgramPath() {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : std::string();
}

std::string CurrentFolder() {
  char buffer[PATH_MAX];
  return ::getcwd(buffer, sizeof buffer) ? WithSlash(buffer) : std::string();
}

}  // namespace

CQuillonApp::CQuillonApp(IPrompt& prompt, Seams seams) : m_prompt(prompt), m_seams(std::move(seams)) {
  m_previous = g_current;
  g_current = this;
}

CQuillonApp::~CQuillonApp() {
  if (g_current == this) g_current = m_previous;
}

CQuillonApp* CQuillonApp::Current() { return g_current; }

void CQuillonApp::Message(const std::string& text) {
  m_prompt.MessageBox(text, kCaption, PromptButtons::Ok, PromptIcon::Warning);
}

bool CQuillonApp::InitInstance(const CQuillonCommandLine& commandLine, IQuillonShell& shell) {
  m_completedSteps = 0;

  // 1. Networking: the socket layer must be usable, and a peer closing a
  // connection must never end the program.
  if (!CheckSockets()) {
    Message(kSocketsFailedMessage);
    return false;
  }
  m_completedSteps = 1;

  // 2. Start time and the following year.
  m_startTime = m_seams.clock ? m_seams.clock() : std::time(nullptr);
  std::tm local {};
  localtime_r(&m_startTime, &local);
  m_nextYear = local.tm_year + 1900 + 1;
  m_completedSteps = 2;

  // 3. The per-user profile and its recent-file list.
  m_recentFiles = CProfile::LoadRecentFiles();
  if (m_recentFiles.size() > static_cast<std::size_t>(kRecentFileCount)) m_recentFiles.resize(kRecentFileCount);
  m_completedSteps = 3;

  // 4. The driver document type is fixed (CDocManagerEx); nothing to build.
  m_completedSteps = 4;

  // 5. The main frame, accepting dropped files and open requests.
  if (!shell.CreateMainFrame()) return false;
  m_completedSteps = 5;

  // 6. The command line, and the default INI files it may ask for.
  m_upperCommandLine = commandLine.GetUpperText();
  if (commandLine.HasMakeIni()) CConfigFiles::WriteDefaultIniFiles(&m_prompt);
  m_completedSteps = 6;

  // 7 and 8. Reference lists, settings and device table; only a failure of
  // the copies carried by the program ends the start-up.
  try {
    LoadReferenceLists();
    m_completedSteps = 7;
    LoadSettings();
    m_completedSteps = 8;
  } catch (const CQuillonException& e) {
    Message(e.GetText() == kProgramResourcesCorrupted ? std::string(kInternalDataCorruptedMessage) : e.GetText());
    return false;
  }

  // 9. The user manual.
  LocateHelp();
  m_completedSteps = 9;

  // 10. Recent connections.
  RestoreRecentConnections(shell);
  m_completedSteps = 10;

  // 11. The private clipboard format.
  m_clipboardFormat = GetClipboardFormatName();
  shell.RegisterClipboardFormat(m_clipboardFormat);
  m_completedSteps = 11;

  // 12. The driver library: usable when its folder holds a driver or a
  // package. Choosing the folder may show the old-package warning.
  if (LibraryCheck()) {
    m_libraryAvailable = LibraryCheck()();
  } else {
    CPromptOldPkgWarningView promptWarning(m_prompt);
    IOldPkgWarningView* warning = shell.OldPkgWarningView();
    m_libraryAvailable =
        library::CDriverLibraryScan::CheckLibrary(CLibraryFolder::Get(warning ? warning : &promptWarning));
  }
  m_completedSteps = 12;

  // 13. The driver files of the command line, or a new empty driver.
  if (!OpenCommandLineDrivers(commandLine, shell)) return false;
  m_completedSteps = 13;

  // 14. Show the main window.
  shell.ShowMainFrame();
  m_completedSteps = 14;

  // 15. Device options.
  ApplyDeviceOptions(commandLine, shell);
  m_completedSteps = 15;
  return true;
}

bool CQuillonApp::CheckSockets() {
  if (m_seams.socketCheck) return m_seams.socketCheck();
  std::signal(SIGPIPE, SIG_IGN);
  const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

void CQuillonApp::LoadReferenceLists() {
  if (m_seams.loadReferenceLists) {
    m_seams.loadReferenceLists(*this);
    return;
  }
  m_referenceListsPath = CReferenceLists::Load(GetCommandLibrary(), GetManufacturers(), &m_prompt);
}

void CQuillonApp::LoadSettings() {
  if (m_seams.loadSettings) {
    m_seams.loadSettings(*this);
  } else {
    m_settings = CMemINI();
    m_settingsPath = CConfigFiles::LoadSettingsIni(m_settings);
  }
  GetDeviceTypes().Load(m_settings);
}

std::vector<std::string> CQuillonApp::HelpFileCandidates(const std::string& currentFolder,
                                                         const std::string& programFolder,
                                                         const std::string& installFolder) {
  std::vector<std::string> candidates;
  if (!currentFolder.empty()) candidates.push_back(WithSlash(currentFolder) + kHelpFileName);
  if (!programFolder.empty()) candidates.push_back(WithSlash(programFolder) + kHelpFileName);
  if (!installFolder.empty()) candidates.push_back(WithSlash(installFolder) + kHelpFileName);
  if (!programFolder.empty()) candidates.push_back(WithSlash(programFolder) + kPackagedHelpFile);
  return candidates;
}

std::string CQuillonApp::LocateHelpFile(const std::vector<std::string>& candidates) {
  for (const std::string& candidate : candidates) {
    if (IsNonEmptyFile(candidate)) return candidate;
  }
  return std::string();
}

void CQuillonApp::LocateHelp() {
  const std::string program = m_seams.programPath.empty() ? ProgramPath() : m_seams.programPath;
  m_helpPath =
      LocateHelpFile(HelpFileCandidates(CurrentFolder(), FolderOf(program), CConfigFiles::GetInstallFolder()));
  m_helpFound = !m_helpPath.empty();
}

void CQuillonApp::RestoreRecentConnections(IQuillonShell& shell) {
  std::unique_ptr<CQVXConnectionType> pending = shell.RecentConnections().LoadRecentFromProfile();
  if (pending) shell.SetCurrentConnection(std::move(pending), std::string());
}

bool CQuillonApp::OpenCommandLineDrivers(const CQuillonCommandLine& commandLine, IQuillonShell& shell) {
  const std::vector<std::string>& files = commandLine.GetDriverFiles();
  if (files.empty()) return shell.NewDriver();
  // Each file gets its window; the start-up fails only when none opened.
  bool any = false;
  for (const std::string& file : files) any = shell.OpenDriver(file) || any;
  return any;
}

void CQuillonApp::ApplyDeviceOptions(const CQuillonCommandLine& commandLine, IQuillonShell& shell) {
  if (commandLine.HasSerialError()) Message(CQuillonCommandLine::kSerialParametersMessage);
  std::unique_ptr<CQVXConnectionType> description;
  try {
    description = commandLine.CreateConnection();
  } catch (const std::bad_alloc&) {
    Message(kOutOfMemoryMessage);
    return;
  }
  if (!description) return;
  shell.SetCurrentConnection(std::move(description), commandLine.GetSerialDevicePath());
  m_commandLineConnection = true;
}

CQVXDeviceTypeList& CQuillonApp::GetDeviceTypes() { return CQVXDeviceTypeList::Program(); }

CCommandLibrary& CQuillonApp::GetCommandLibrary() { return CReferenceLists::Library(); }

CMfgList& CQuillonApp::GetManufacturers() { return CReferenceLists::Manufacturers(); }

std::string CQuillonApp::GetDriverFolder() const { return CConfigFiles::GetFolder(CConfigFiles::kDriverFolder); }

void CQuillonApp::SetLibraryCheck(std::function<bool()> check) { LibraryCheck() = std::move(check); }

bool CQuillonApp::IsAdvancedMode() { return CAccessCodes::IsAdvancedMode(); }

CTCharDeque& CQuillonApp::GetKeystrokes() { return CAccessCodes::Keystrokes(); }

std::string CQuillonApp::GetClipboardFormatName() { return Unscramble(kClipboardFormat); }

std::string CQuillonApp::GetMakerWebAddress() { return Unscramble(kMakerWebAddress); }

std::string CQuillonApp::AboutVersionText(int major, int minor) {
  char text[64];
  // "%d.%.d" would print nothing for a minor number of 0 ("Quillon Version 1."),
  // so the minor number is always written.
  std::snprintf(text, sizeof text, "Quillon Version %d.%d", major, minor);
  return text;
}

std::string CQuillonApp::AboutVersionText() { return AboutVersionText(QUILLON_VERSION_MAJOR, QUILLON_VERSION_MINOR); }

std::string CQuillonApp::VersionLine() { return std::string("quillon ") + QUILLON_VERSION_TEXT; }

void CQuillonApp::AddRecentFile(const std::string& path) {
  CProfile::AddRecentFile(m_recentFiles, path);
  CProfile::SaveRecentFiles(m_recentFiles);
}

void CQuillonApp::RemoveRecentFile(const std::string& path) {
  for (auto it = m_recentFiles.begin(); it != m_recentFiles.end();) it = *it == path ? m_recentFiles.erase(it) : it + 1;
  CProfile::SaveRecentFiles(m_recentFiles);
}

std::string CQuillonApp::NextUntitledTitle() { return "VIR" + std::to_string(++m_untitledCount); }

void CQuillonApp::SaveRecentConnections(const CQVXConnectionTypeList& list, const CQVXConnectionType* selected) {
  list.SaveRecentToProfile(selected);
}

}  // namespace quillon
