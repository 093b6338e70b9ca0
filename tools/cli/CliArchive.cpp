// "archive": create, list, change and extract archives (.pkg files) through
// the VelmorArchive component, created by class identifier like any other
// client does (registered server, else the server library found beside the
// program or in the build tree).
#include <strings.h>
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

// What a failed call of the component means, in words.
std::string Reason(HRESULT hr) {
  switch (static_cast<uint32_t>(hr)) {
    case static_cast<uint32_t>(E_OUTOFMEMORY): return "out of memory";
    case static_cast<uint32_t>(E_INVALIDARG): return "invalid name or argument";
    case static_cast<uint32_t>(STG_E_FILENOTFOUND): return "No such file or directory";
    case static_cast<uint32_t>(STG_E_ACCESSDENIED): return "Permission denied";
    case static_cast<uint32_t>(STG_E_FILEALREADYEXISTS): return "File exists";
    default: break;
  }
  char text[64];
  std::snprintf(text, sizeof text, "the archive component failed (result 0x%08X)", static_cast<unsigned>(hr));
  return text;
}

// The member name the component stores for NAME: the file name without
// its folders (as CVmArchiveFormat::NormalizeName makes it).
std::string MemberNameOf(const std::string& name) {
  const size_t cut = name.find_last_of("/\\");
  return cut == std::string::npos ? name : name.substr(cut + 1);
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
      throw CliError("the archive component cannot be created (" + Reason(hr) +
                     "): register VelmorFileTools with quillon-regsvr or keep it beside quillon-cli");
  }
  Archive(const Archive&) = delete;
  Archive& operator=(const Archive&) = delete;
  ~Archive() {
    if (archive_) archive_->Abort();
  }
  IVelmorArchive* operator->() const { return archive_.Get(); }

  // Opens an existing archive (must exist unless create is true).
  // REPLACE: an existing file that is not an archive is written over.
  void Open(const std::string& path, bool create, bool replace = false) {
    if (!create) CheckReadable(path);
    ComBstr p(path);
    const HRESULT hr = archive_->Open(p.Get());
    if (FAILED(hr) && !replace) throw CliError(path + ": not a readable archive");
  }
  void Close(const std::string& path) {
    CheckOutput(path, true);  // the reason it cannot be written, if it cannot
    ComBstr empty;
    const HRESULT hr = archive_->Close(empty.Get());
    if (FAILED(hr)) throw CliError(path + ": cannot be written (" + Reason(hr) + ")");
  }
  std::vector<std::string> Names() {
    int32_t count = 0;
    Check(archive_->GetFileCount(&count), "the member list");
    std::vector<std::string> names;
    for (int32_t i = 0; i < count; ++i) {
      ComBstr name;
      Check(archive_->IndexedGetName(i, name.Out()), "the member list");
      names.push_back(name.Utf8());
    }
    return names;
  }
  static void Check(HRESULT hr, const std::string& what) {
    if (FAILED(hr)) throw CliError(what + ": " + Reason(hr));
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
    Archive::Check(archive->IndexedGetSize(index, &size), path + ": " + names[i]);
    Archive::Check(archive->IndexedGetCompressedSize(index, &stored), path + ": " + names[i]);
    Archive::Check(archive->IndexedGetVersion(index, &minor, &major), path + ": " + names[i]);
    Archive::Check(archive->IndexedGetOrigin(index, &origin), path + ": " + names[i]);
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
  if (members.empty()) {
    std::cout << "The archive has no members.\n";
    return;
  }
  std::printf("%-32s %10s %10s %-3s %6s %4s %s\n", "NAME", "SIZE", "STORED", "LZ", "VER", "ORIG", "TIME");
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
  Archive::Check(archive->GetFileCount(&count), path);
  Archive::Check(archive->GetArchiveVersion(&minor, &major), path);
  Archive::Check(archive->GetArchiveOrigin(&origin), path);
  ComBstr notes;
  Archive::Check(archive->GetArchiveNotes(notes.Out()), path + ": the notes");
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

void Add(const std::string& path, const std::vector<std::string>& files, const std::string& as, bool create,
         bool force) {
  if (files.empty()) throw UsageError("name at least one file to add");
  if (!as.empty() && files.size() != 1) throw UsageError("--as needs exactly one file");
  if (create && Exists(path) && !force) {
    throw CliError(path + ": file exists (use --force to replace it, or \"archive add\" to change it)");
  }
  // Two files of one name would become one member: the second would
  // silently replace the first.
  std::vector<std::string> members;
  for (const auto& f : files) {
    CheckReadable(f);
    if (!IsFile(f)) throw CliError(f + ": not a regular file");
    const std::string member = MemberNameOf(as.empty() ? f : as);
    for (size_t i = 0; i < members.size(); ++i) {
      if (strcasecmp(members[i].c_str(), member.c_str()) == 0) {
        throw CliError(f + ": a member named " + member + " comes from " + files[i] + " already");
      }
    }
    members.push_back(member);
  }
  Archive archive;
  archive.Open(path, true, create && force);
  if (create && force) Archive::Check(archive->RemoveAll(), path);
  for (const auto& f : files) {
    ComBstr file(f);
    ComBstr name(as.empty() ? f : as);
    const HRESULT hr = archive->AddFileAs(file.Get(), name.Get());
    if (FAILED(hr)) {
      struct stat st {};
      const bool empty = ::stat(f.c_str(), &st) == 0 && st.st_size == 0;
      throw CliError(f + ": cannot be added (" + (empty ? std::string("an empty file cannot be stored") : Reason(hr)) + ")");
    }
  }
  archive.Close(path);
}

void Extract(const std::string& path, const std::vector<std::string>& wanted, const std::string& folder, bool force) {
  Archive archive;
  archive.Open(path, false);
  const std::vector<std::string> names = wanted.empty() ? archive.Names() : wanted;
  std::vector<std::string> targets;
  for (const auto& name : names) {
    ComBstr member(name);
    if (archive->IsInArchive(member.Get()) != S_OK) throw CliError(path + ": no member named " + name);
    // "-" writes one member to standard output.
    const std::string target = folder == "-" ? std::string("-") : (folder.empty() ? std::string(".") : folder) + "/" + name;
    CheckOutput(target, force);
    targets.push_back(target);
  }
  if (folder == "-" && names.size() != 1) throw UsageError("-o - writes one member; name exactly one");
  for (size_t i = 0; i < names.size(); ++i) {
    ComBstr member(names[i]);
    ComBstr out(targets[i]);
    const HRESULT hr = archive->ExtractToFile(member.Get(), out.Get());
    if (FAILED(hr)) throw CliError(targets[i] + ": " + names[i] + " cannot be extracted (" + Reason(hr) + ")");
    if (folder != "-") std::cout << targets[i] << "\n";
  }
}

void RemoveMembers(const std::string& path, const std::vector<std::string>& names) {
  Archive archive;
  archive.Open(path, false);
  for (const auto& name : names) {
    ComBstr member(name);
    if (FAILED(archive->Remove(member.Get()))) throw CliError(path + ": no member named " + name);
  }
  archive.Close(path);
}

void Notes(const std::string& path, const std::string* set) {
  Archive archive;
  archive.Open(path, false);
  if (set) {
    ComBstr text(*set);
    Archive::Check(archive->SetArchiveNotes(text.Get()), path + ": the notes");
    archive.Close(path);
    return;
  }
  ComBstr notes;
  Archive::Check(archive->GetArchiveNotes(notes.Out()), path + ": the notes");
  std::cout << notes.Utf8() << "\n";
}

void RegisterArchive(CLI::App& app) {
  CLI::App& group = Group(app, "archive", "Create, list, change and extract archives (.pkg)");
  {
    auto* cmd = group.add_subcommand("create", "Create the archive OUT from files (OUT must not exist unless --force)");
    auto out = std::make_shared<std::string>();
    auto files = std::make_shared<std::vector<std::string>>();
    auto force = std::make_shared<bool>(false);
    cmd->add_option("OUT", *out, "Archive to create")->required();
    cmd->add_option("FILE", *files, "Files to store (under their file names, which must differ)")->required();
    AddForceFlag(cmd, *force);
    cmd->callback([=] { Add(*out, *files, "", true, *force); });
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
    cmd->callback([=] { Add(*path, *files, *as, false, false); });
  }
  {
    auto* cmd = group.add_subcommand("extract", "Extract members (all when none are named)");
    auto path = std::make_shared<std::string>();
    auto names = std::make_shared<std::vector<std::string>>();
    auto folder = std::make_shared<std::string>(".");
    auto force = std::make_shared<bool>(false);
    cmd->add_option("ARCHIVE", *path, "Archive file")->required();
    cmd->add_option("NAME", *names, "Members to extract");
    cmd->add_option("-o,--output", *folder,
                    "Folder to extract into (default: current folder); - writes the one member named to standard output");
    AddForceFlag(cmd, *force);
    cmd->callback([=] { Extract(*path, *names, *folder, *force); });
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
