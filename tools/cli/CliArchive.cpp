// "archive": create, list, change and extract archives (.pkg files) through
// the VelmorArchive component, created by class identifier like any other
// client does (registered server, else the server library found beside the
// program or in the build tree).
#include <sys/stat.h>

#include <cstdio>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/ComRegistration.h"
#include "filetools/CVmFileArchive.h"
#include "filetools/IVelmorArchive.h"
#include "filetools/VelmorFileToolsIds.h"
#include "platform/ComLitePtr.h"
#include "tools/cli/CliCommand.h"

namespace quillon::cli {
namespace {

using namespace com;
using filetools::IVelmorArchive;

std::string Hex(HRESULT hr) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
  return text;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

bool IsFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The archive object; aborted (nothing written) when it goes out of scope
// without an explicit Close.
class Archive {
 public:
  Archive() {
    const HRESULT hr = ComRegistration::CoCreateInstance(filetools::CLSID_VelmorArchive, nullptr,
                                                         CLSCTX_INPROC_SERVER, filetools::IID_IVelmorArchive,
                                                         archive_.OutVoid());
    if (FAILED(hr))
      throw CliError("cannot create the archive component (" + Hex(hr) +
                     "): register VelmorFileTools with quillon-regsvr or keep it beside quillon-cli");
  }
  Archive(const Archive&) = delete;
  Archive& operator=(const Archive&) = delete;
  ~Archive() {
    if (archive_) archive_->Abort();
  }
  IVelmorArchive* operator->() const { return archive_.Get(); }

  // Opens an existing archive (must exist unless create is true).
  void Open(const std::string& path, bool create) {
    if (!create && !IsFile(path)) throw CliError("cannot open " + path + ": no such file");
    ComBstr p(path);
    const HRESULT hr = archive_->Open(p.Get());
    if (FAILED(hr)) throw CliError("cannot open " + path + ": not a readable archive (" + Hex(hr) + ")");
  }
  void Close(const std::string& path) {
    ComBstr empty;
    const HRESULT hr = archive_->Close(empty.Get());
    if (FAILED(hr)) throw CliError("cannot write " + path + " (" + Hex(hr) + ")");
  }
  std::vector<std::string> Names() {
    int32_t count = 0;
    Check(archive_->GetFileCount(&count), "reading the member list");
    std::vector<std::string> names;
    for (int32_t i = 0; i < count; ++i) {
      ComBstr name;
      Check(archive_->IndexedGetName(i, name.Out()), "reading the member list");
      names.push_back(name.Utf8());
    }
    return names;
  }
  static void Check(HRESULT hr, const std::string& what) {
    if (FAILED(hr)) throw CliError(what + " failed (" + Hex(hr) + ")");
  }

 private:
  ComPtr<IVelmorArchive> archive_;
};

std::string TimeText(const std::array<uint32_t, 9>& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02uZ", t[5] + 1900u, t[4], t[3], t[2], t[1], t[0]);
  return text;
}

// Member times are not part of the component interface; they are read from
// the archive's directory with the archive engine itself.
std::vector<std::string> MemberTimes(const std::string& path, size_t count) {
  std::vector<std::string> times(count);
  filetools::CVmFileArchive engine;
  if (engine.Open(path) && engine.Entries().size() == count) {
    for (size_t i = 0; i < count; ++i) times[i] = TimeText(engine.Entries()[i].time);
  }
  engine.Abort();
  return times;
}

void List(const std::string& path, bool json) {
  Archive archive;
  archive.Open(path, false);
  const std::vector<std::string> names = archive.Names();
  const std::vector<std::string> times = MemberTimes(path, names.size());
  nlohmann::json members = nlohmann::json::array();
  for (size_t i = 0; i < names.size(); ++i) {
    const auto index = static_cast<int32_t>(i);
    int32_t size = 0, stored = 0, minor = 0, major = 0, origin = 0;
    Archive::Check(archive->IndexedGetSize(index, &size), "reading " + names[i]);
    Archive::Check(archive->IndexedGetCompressedSize(index, &stored), "reading " + names[i]);
    Archive::Check(archive->IndexedGetVersion(index, &minor, &major), "reading " + names[i]);
    Archive::Check(archive->IndexedGetOrigin(index, &origin), "reading " + names[i]);
    const bool compressed = archive->IndexedIsCompressed(index) == S_OK;
    members.push_back({{"name", names[i]},
                       {"size", size},
                       {"stored_size", stored},
                       {"compressed", compressed},
                       {"version", std::to_string(major) + "." + std::to_string(minor)},
                       {"origin", origin},
                       {"time", times[i]}});
  }
  if (json) {
    std::cout << nlohmann::json{{"archive", path}, {"members", members}}.dump(2) << "\n";
    return;
  }
  for (const auto& m : members) {
    std::printf("%-32s %10d %10d %-3s %6s %4d %s\n", m["name"].get<std::string>().c_str(), m["size"].get<int>(),
                m["stored_size"].get<int>(), m["compressed"].get<bool>() ? "lz" : "-",
                m["version"].get<std::string>().c_str(), m["origin"].get<int>(), m["time"].get<std::string>().c_str());
  }
}

void Info(const std::string& path, bool json) {
  Archive archive;
  int32_t hOrigin = 0, hMinor = 0, hMajor = 0;
  ComBstr p(path);
  const bool validName = archive->IsValidArchive(p.Get(), &hOrigin, &hMinor, &hMajor) == S_OK;
  archive.Open(path, false);
  int32_t count = 0, minor = 0, major = 0, origin = 0;
  Archive::Check(archive->GetFileCount(&count), "reading the archive");
  Archive::Check(archive->GetArchiveVersion(&minor, &major), "reading the archive");
  Archive::Check(archive->GetArchiveOrigin(&origin), "reading the archive");
  ComBstr notes;
  Archive::Check(archive->GetArchiveNotes(notes.Out()), "reading the notes");
  const nlohmann::json info{{"archive", path},
                            {"version", std::to_string(major) + "." + std::to_string(minor)},
                            {"origin", origin},
                            {"members", count},
                            {"notes", notes.Utf8()},
                            {"valid_archive_name", validName}};
  if (json) {
    std::cout << info.dump(2) << "\n";
    return;
  }
  std::cout << "archive: " << path << "\nversion: " << major << "." << minor << "\norigin: " << origin
            << "\nmembers: " << count << "\nnotes: " << notes.Utf8() << "\n";
}

void Add(const std::string& path, const std::vector<std::string>& files, const std::string& as, bool create) {
  if (files.empty()) throw UsageError("name at least one file to add");
  if (!as.empty() && files.size() != 1) throw UsageError("--as needs exactly one file");
  if (create && Exists(path)) throw CliError(path + " already exists (use \"archive add\" to change it)");
  for (const auto& f : files)
    if (!IsFile(f)) throw CliError("cannot read " + f + ": no such file");
  Archive archive;
  archive.Open(path, true);
  for (const auto& f : files) {
    ComBstr file(f);
    ComBstr name(as.empty() ? f : as);
    const HRESULT hr = archive->AddFileAs(file.Get(), name.Get());
    if (FAILED(hr)) throw CliError("cannot add " + f + " (" + Hex(hr) + (IsFile(f) ? "; empty files cannot be stored)" : ")"));
  }
  archive.Close(path);
}

void Extract(const std::string& path, const std::vector<std::string>& wanted, const std::string& folder) {
  Archive archive;
  archive.Open(path, false);
  const std::vector<std::string> names = wanted.empty() ? archive.Names() : wanted;
  for (const auto& name : names) {
    ComBstr member(name);
    if (archive->IsInArchive(member.Get()) != S_OK) throw CliError(name + " is not in " + path);
    const std::string target = (folder.empty() ? std::string(".") : folder) + "/" + name;
    ComBstr out(target);
    const HRESULT hr = archive->ExtractToFile(member.Get(), out.Get());
    if (FAILED(hr)) throw CliError("cannot extract " + name + " to " + target + " (" + Hex(hr) + ")");
    std::cout << target << "\n";
  }
}

void RemoveMembers(const std::string& path, const std::vector<std::string>& names) {
  Archive archive;
  archive.Open(path, false);
  for (const auto& name : names) {
    ComBstr member(name);
    if (FAILED(archive->Remove(member.Get()))) throw CliError(name + " is not in " + path);
  }
  archive.Close(path);
}

void Notes(const std::string& path, const std::string* set) {
  Archive archive;
  archive.Open(path, false);
  if (set) {
    ComBstr text(*set);
    Archive::Check(archive->SetArchiveNotes(text.Get()), "setting the notes");
    archive.Close(path);
    return;
  }
  ComBstr notes;
  Archive::Check(archive->GetArchiveNotes(notes.Out()), "reading the notes");
  std::cout << notes.Utf8() << "\n";
}

void RegisterArchive(CLI::App& app) {
  CLI::App& group = Group(app, "archive", "Create, list, change and extract archives (.pkg)");
  {
    auto* cmd = group.add_subcommand("create", "Create the archive OUT from files (OUT must not exist)");
    auto out = std::make_shared<std::string>();
    auto files = std::make_shared<std::vector<std::string>>();
    cmd->add_option("OUT", *out, "Archive to create")->required();
    cmd->add_option("FILE", *files, "Files to store (under their file names)")->required();
    cmd->callback([=] { Add(*out, *files, "", true); });
  }
  {
    auto* cmd = group.add_subcommand("list", "List the members of an archive");
    auto path = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    cmd->add_option("ARCHIVE", *path, "Archive file")->required();
    cmd->add_flag("--json", *json,
                  "JSON: {\"archive\":PATH,\"members\":[{\"name\",\"size\",\"stored_size\",\"compressed\","
                  "\"version\":\"MAJOR.MINOR\",\"origin\",\"time\":\"YYYY-MM-DDTHH:MM:SSZ\"}]}");
    cmd->callback([=] { List(*path, *json); });
  }
  {
    auto* cmd = group.add_subcommand("add", "Add or replace members (the archive is created when missing)");
    auto path = std::make_shared<std::string>();
    auto files = std::make_shared<std::vector<std::string>>();
    auto as = std::make_shared<std::string>();
    cmd->add_option("ARCHIVE", *path, "Archive file")->required();
    cmd->add_option("FILE", *files, "Files to store")->required();
    cmd->add_option("--as", *as, "Member name for a single file");
    cmd->callback([=] { Add(*path, *files, *as, false); });
  }
  {
    auto* cmd = group.add_subcommand("extract", "Extract members (all when none are named)");
    auto path = std::make_shared<std::string>();
    auto names = std::make_shared<std::vector<std::string>>();
    auto folder = std::make_shared<std::string>(".");
    cmd->add_option("ARCHIVE", *path, "Archive file")->required();
    cmd->add_option("NAME", *names, "Members to extract");
    cmd->add_option("-o,--output", *folder, "Folder to extract into (default: current folder)");
    cmd->callback([=] { Extract(*path, *names, *folder); });
  }
  {
    auto* cmd = group.add_subcommand("remove", "Remove members");
    auto path = std::make_shared<std::string>();
    auto names = std::make_shared<std::vector<std::string>>();
    cmd->add_option("ARCHIVE", *path, "Archive file")->required();
    cmd->add_option("NAME", *names, "Members to remove")->required();
    cmd->callback([=] { RemoveMembers(*path, *names); });
  }
  {
    auto* cmd = group.add_subcommand("notes", "Show the archive notes, or replace them with --set");
    auto path = std::make_shared<std::string>();
    auto text = std::make_shared<std::string>();
    cmd->add_option("ARCHIVE", *path, "Archive file")->required();
    auto* set = cmd->add_option("--set", *text, "New notes text");
    cmd->callback([=] { Notes(*path, set->count() > 0 ? text.get() : nullptr); });
  }
  {
    auto* cmd = group.add_subcommand("info", "Show an archive's version, origin, member count and notes");
    auto path = std::make_shared<std::string>();
    auto json = std::make_shared<bool>(false);
    cmd->add_option("ARCHIVE", *path, "Archive file")->required();
    cmd->add_flag("--json", *json, "JSON output");
    cmd->callback([=] { Info(*path, *json); });
  }
}

}  // namespace
}  // namespace quillon::cli

QUILLON_CLI_GROUP(archive, quillon::cli::RegisterArchive);
