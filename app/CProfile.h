#pragma once
// The user's profile: per-user values kept in the user store under
// "Software\Velmor\Quillon\<section>" (recent files, recent connections,
// the learn dialog's auto-select and enhanced-analysis choices).
#include <string>
#include <vector>

namespace quillon {

class CProfile {
 public:
  static constexpr const char* kProfileKey = "Software\\Velmor\\Quillon";
  static constexpr const char* kRecentFileSection = "Recent File List";
  static constexpr int kRecentFileCount = 4;
  static constexpr const char* kRecentConnectionsSection = "RecentConnections";
  static constexpr const char* kPendingConnection = "pendingConnection";
  static constexpr const char* kRecentConnectionPrefix = "recentConnection_";
  static constexpr int kRecentConnectionCount = 4;
  static constexpr const char* kProgramSettingsSection = "ProgramSettings";
  static constexpr const char* kLearnAutoSelect = "learn_auto_select";
  static constexpr const char* kLearnEnhancedAnalysis = "learn_enhanced_analysis";

  static std::string GetProfileString(const std::string& section, const std::string& entry,
                                      const std::string& defaultValue);
  static bool WriteProfileString(const std::string& section, const std::string& entry, const std::string& value);
  // A number stored as a 32-bit value; DEFAULT when absent or not a number.
  static int GetProfileInt(const std::string& section, const std::string& entry, int defaultValue);
  static bool WriteProfileInt(const std::string& section, const std::string& entry, int value);

  // The recent-file list, most recent first ("File1" … "File4").
  static std::vector<std::string> LoadRecentFiles();
  // Replaces the stored list by the first four non-empty entries of FILES.
  static bool SaveRecentFiles(const std::vector<std::string>& files);
  // Puts PATH at the head of LIST, removing an earlier copy and keeping at
  // most four entries.
  static void AddRecentFile(std::vector<std::string>& list, const std::string& path);

  // Recent connections as connection texts. Saving writes the pending text
  // (a single blank when empty), the first four list texts under
  // "recentConnection_0" … and a single blank under the next number to mark
  // the end.
  static bool SaveRecentConnections(const std::string& pending, const std::vector<std::string>& recent);
  // Reads the pending text and the list, which stops at an empty value, one
  // that begins with a blank, or after four.
  static void LoadRecentConnections(std::string& pending, std::vector<std::string>& recent);

  // Whether the learn dialog moves on to the next function by itself
  // (default 1).
  static int GetLearnAutoSelect();
  static bool SetLearnAutoSelect(int value);
  // The learn dialog's "Enhanced analysis" box: 1 checked, 0 cleared, -1
  // never chosen (the capture settings then decide).
  static int GetLearnEnhancedAnalysis();
  static bool SetLearnEnhancedAnalysis(int value);
};

}  // namespace quillon
