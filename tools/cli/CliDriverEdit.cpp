// "driver export|import|new|rename|delete|add|merge|move|copy|paste|set-*":
// every edit of the driver document that needs no device, run through the
// same document core the windows use. Questions of the document are
// answered from the command line; its message boxes become the error text.
#include <strings.h>

#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/CAccessCodes.h"
#include "app/CCommandLibrary.h"
#include "app/CMfgList.h"
#include "app/CReferenceLists.h"
#include "app/CTCharDeque.h"
#include "app/IPrompt.h"
#include "irmodel/CDriverDoc.h"
#include "irmodel/CDriverDocText.h"
#include "irmodel/CDriverFile.h"
#include "irmodel/TQVXIrHeaderEntry.h"
#include "irmodel/TQVXIrIni.h"
#include "platform/Cp1252.h"
#include "tools/cli/CliCommand.h"
#include "tools/cli/CliDeviceSession.h"

namespace quillon::cli {
namespace {

// Answers the document's questions for a command-line run: message boxes are
// remembered (the last one becomes the error text), conflicts get the
// choice given with --on-conflict.
class CliPrompt : public IPrompt {
 public:
  PromptAnswer MessageBox(const std::string& text, const std::string&, PromptButtons, PromptIcon) override {
    messages.push_back(text);
    return PromptAnswer::Ok;
  }
  int Choose(const std::string&, const std::string&, const std::vector<std::string>&) override { return choice; }

  std::string Last() const { return messages.empty() ? std::string() : messages.back(); }

  std::vector<std::string> messages;
  int choice = static_cast<int>(CDriverDoc::ConflictChoice::kSkip);
};

// Options every editing command shares.
struct EditOptions {
  std::string out;         // -o: write here instead of over the input
  std::string accessCode;  // --access-code: the supported-driver code, typed
  bool force = false;      // --force: -o may replace an existing file
  bool lenient = false;    // --lenient: out-of-range values are clamped
};

const CCommandLibrary* Library() { return CliCommandLibrary(); }

// A document for one command: advanced mode is on (the tool is for driver
// authors); the supported-driver test passes when --access-code holds it.
class EditSession {
 public:
  explicit EditSession(const EditOptions& options) : doc_(prompt_, Library()) {
    bool supported = false;
    if (!options.accessCode.empty()) {
      CTCharDeque typed(options.accessCode.size() + 1, 1 << 30);
      for (char c : options.accessCode) typed.Add(c);
      supported = CAccessCodes::IsSupportedDriverCode(typed);
      if (!supported) throw CliError("the access code is not the supported-driver code");
    }
    doc_.SetAccessTests([] { return true; }, [supported] { return supported; });
  }

  CDriverDoc& Doc() { return doc_; }
  CliPrompt& Prompt() { return prompt_; }

  void Open(const std::string& path) {
    if (!doc_.OnOpenDocument(path) || doc_.LoadFailed()) {
      throw CliError(!doc_.GetLastError().empty() ? doc_.GetLastError() : path + ": " + prompt_.Last());
    }
  }
  void New() { doc_.OnNewDocument(); }
  void Save(const std::string& path) {
    if (!doc_.OnSaveDocument(path)) {
      throw CliError(!doc_.GetLastError().empty() ? doc_.GetLastError() : path + ": " + prompt_.Last());
    }
  }

 private:
  CliPrompt prompt_;
  CDriverDoc doc_;
};

// A name typed on the command line (UTF-8) as stored in drivers (Windows-1252).
std::string StoredName(const std::string& typed) {
  std::optional<std::string> stored = Utf8ToCp1252(typed);
  if (!stored) throw UsageError("'" + typed + "' cannot be stored as Windows-1252 text");
  return *stored;
}

std::vector<std::string> StoredNames(const std::vector<std::string>& typed) {
  std::vector<std::string> names;
  for (const std::string& name : typed) names.push_back(StoredName(name));
  return names;
}

std::string HeaderTextOf(const CDriverDoc& doc, int tag) {
  const TQVXIrHeaderEntry* entry = doc.GetDriver().GetHeader().FindEntry(tag);
  return entry && !entry->IsBinary() ? std::string(entry->GetBytes()) : std::string();
}

// A second function named NAME (ignoring case) besides the one at POSITION.
bool NameTakenElsewhere(const TQVXIr& driver, const std::string& name, int position) {
  for (int i = 0; i < driver.GetFunctionCount(); ++i) {
    const TQVXIrFunction* f = driver.GetFunction(i);
    if (i != position && f && f->GetName() && strcasecmp(f->GetName(), name.c_str()) == 0) return true;
  }
  return false;
}

// A driver version as the header pane takes it: 1..255. Anything else is
// refused unless --lenient, which stores it the pane's way (clamped).
std::string CheckedVersion(const std::string& typed, bool lenient) {
  if (!lenient) return std::to_string(ParseNumber(typed, "--version", 1, 255));
  const std::string stored = std::to_string(CDriverDocText::ConfirmVersion(typed));
  if (stored != typed) Warnings(true).Add("--version '" + typed + "' stored as " + stored);
  return typed;
}

void Select(CDriverDoc& doc, const std::vector<std::string>& names, bool allWhenNone) {
  if (names.empty()) {
    std::vector<int> all;
    if (allWhenNone) {
      for (int i = 0; i < doc.GetDriver().GetFunctionCount(); ++i) all.push_back(i);
    }
    doc.SetSelection(all);
    return;
  }
  const std::vector<std::string> stored = StoredNames(names);
  for (const std::string& name : stored) {
    if (doc.GetDriver().FindFunction(name) == nullptr) {
      throw CliError(doc.GetPathName() + ": no function named " + Cp1252ToUtf8(name));
    }
  }
  doc.SelectByNames(stored);
}

const std::vector<std::pair<std::string, CDriverDoc::ConflictChoice>>& ConflictNames() {
  static const std::vector<std::pair<std::string, CDriverDoc::ConflictChoice>> names = {
      {"rename-new", CDriverDoc::ConflictChoice::kRenameNew},
      {"rename-old", CDriverDoc::ConflictChoice::kRenameExisting},
      {"replace", CDriverDoc::ConflictChoice::kReplace},
      {"add", CDriverDoc::ConflictChoice::kAddSubFunctions},
      {"skip", CDriverDoc::ConflictChoice::kSkip},
      {"skip-all", CDriverDoc::ConflictChoice::kSkipAll},
  };
  return names;
}

int ConflictChoiceOf(const std::string& text) {
  for (const auto& [name, choice] : ConflictNames()) {
    if (name == text) return static_cast<int>(choice);
  }
  throw UsageError("--on-conflict must be rename-new, rename-old, replace, add, skip or skip-all");
}

// Where an edit is written: over the input (always allowed) or to -o, which
// must not exist unless --force.
std::string Target(const std::string& file, const EditOptions& options) {
  if (options.out.empty() || options.out == file) return file;
  CheckOutput(options.out, options.force);
  return options.out;
}

void AddEditOptions(CLI::App* cmd, EditOptions& options) {
  cmd->add_option("-o,--out", options.out, "Write the result here instead of over the input driver");
  cmd->add_option("--access-code", options.accessCode,
                  "The supported-driver access code: keeps or sets the \"Is Velmor Driver\" mark");
  AddForceFlag(cmd, options.force);
}

// --functions A,B,...: one argument, so it never takes the positional
// arguments that follow it.
CLI::Option* AddFunctionsOption(CLI::App* cmd, std::vector<std::string>& functions, const std::string& help) {
  return cmd->add_option("--functions", functions, help + " (comma-separated)")->delimiter(',')->allow_extra_args(false);
}

bool OnOff(const std::string& text) {
  if (text == "on" || text == "yes" || text == "1") return true;
  if (text == "off" || text == "no" || text == "0") return false;
  throw UsageError("expected on or off, got '" + text + "'");
}

// --- commands ----------------------------------------------------------------

void Export(const std::string& file, const std::string& out, const std::vector<std::string>& functions, bool force) {
  CheckOutput(out, force);
  EditSession session(EditOptions{});
  session.Open(file);
  Select(session.Doc(), functions, false);
  if (session.Doc().GetDriver().GetFunctionCount() == 0) throw CliError(file + ": the driver has no functions to export");
  if (!session.Doc().ExportIni(out)) {
    throw CliError(session.Doc().GetLastError().empty() ? out + ": cannot be written" : session.Doc().GetLastError());
  }
}

void Import(const std::string& in, const std::string& out, const std::string& into, const EditOptions& options) {
  if (out != into) CheckOutput(out, options.force);
  // The reason a file cannot be read ("-" is read once, by the import).
  CheckReadable(in);
  EditSession session(options);
  if (into.empty()) session.New();
  else session.Open(into);
  std::vector<std::string> messages;
  switch (session.Doc().ImportIni(in, messages)) {
    case TQVXIrIni::ImportResult::kNoFile:
      throw CliError(in + ": cannot be read");
    case TQVXIrIni::ImportResult::kInvalidFile:
      throw CliError(in + ": " + TQVXIrIni::kInvalidFileMessage);
    case TQVXIrIni::ImportResult::kNotAllowed:
      throw CliError("importing needs advanced mode");
    case TQVXIrIni::ImportResult::kImported:
      break;
  }
  for (const std::string& message : messages) std::cerr << message << "\n";
  session.Save(out);
  if (!messages.empty() && !options.lenient) {
    throw CliError(in + ": " + std::to_string(messages.size()) + " import message" + (messages.size() == 1 ? "" : "s") +
                   "; " + out + " was written but may not be usable (--lenient accepts this)");
  }
}

void New(const std::string& out, const std::string& type, const std::string& manufacturer, const std::string& model,
         const std::string& comments, const std::string& version, const EditOptions& options) {
  const std::string storedType = CheckedDeviceType(type);
  const std::string checkedVersion = CheckedVersion(version, options.lenient);
  CheckOutput(out, options.force);
  EditSession session(options);
  session.New();
  CDriverDoc& doc = session.Doc();
  doc.ChooseDeviceType(storedType);
  CDriverDoc::HeaderFields fields = doc.GetHeaderFields();
  fields.deviceType = storedType;
  fields.manufacturer = StoredName(manufacturer);
  fields.model = StoredName(model);
  fields.comments = StoredName(comments);
  fields.version = checkedVersion;
  const std::string status = doc.ApplyHeaderEdits(fields);
  if (!status.empty()) std::cerr << status << "\n";
  session.Save(out);
  std::cout << out << ": " << doc.GetDriver().GetFunctionCount() << " function slots of device type "
            << Cp1252ToUtf8(HeaderTextOf(doc, TQVXIrHeaderEntry::kDeviceType)) << "\n";
}

void Rename(const std::string& file, const std::string& from, const std::string& to, const EditOptions& options) {
  EditSession session(options);
  session.Open(file);
  const int position = session.Doc().GetDriver().IndexOfFunction(StoredName(from));
  if (position < 0) throw CliError(file + ": no function named " + from);
  if (NameTakenElsewhere(session.Doc().GetDriver(), StoredName(to), position)) {
    throw CliError(file + ": a function named " + to + " exists already");
  }
  if (!session.Doc().RenameFunction(position, StoredName(to))) {
    throw CliError(session.Prompt().Last().empty() ? "cannot rename " + from + " to '" + to + "'"
                                                   : session.Prompt().Last());
  }
  session.Save(Target(file, options));
}

void Delete(const std::string& file, const std::vector<std::string>& names, const EditOptions& options) {
  EditSession session(options);
  session.Open(file);
  Select(session.Doc(), names, false);
  session.Doc().DeleteSelected();
  session.Save(Target(file, options));
}

void Add(const std::string& file, const std::vector<std::string>& names, const EditOptions& options) {
  EditSession session(options);
  session.Open(file);
  const std::vector<std::string> stored = StoredNames(names);
  for (std::size_t i = 0; i < stored.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (strcasecmp(stored[i].c_str(), stored[j].c_str()) == 0) throw UsageError(names[i] + " is named twice");
    }
    if (session.Doc().GetDriver().FindFunction(stored[i]) != nullptr) {
      throw CliError(file + ": a function named " + names[i] + " exists already");
    }
  }
  for (const std::string& name : stored) {
    const int position = session.Doc().NewFunction();
    if (position < 0) throw CliError(file + ": the driver already holds 126 functions");
    if (!session.Doc().RenameFunction(position, name)) {
      throw CliError(session.Prompt().Last().empty() ? "cannot name a function '" + Cp1252ToUtf8(name) + "'"
                                                     : session.Prompt().Last());
    }
  }
  session.Save(Target(file, options));
}

std::string NameList(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + Cp1252ToUtf8(name);
  return text;
}

// What a merge or paste did, one line: "3 added (A, B, C), 2 filled empty
// slots (POWER, PLAY), 1 renamed (MENU -> NewMENU), 1 skipped (EJECT)".
std::string MergeSummaryText(const CDriverDoc::MergeSummary& summary) {
  std::string text;
  auto part = [&](const std::vector<std::string>& names, const char* what) {
    if (names.empty()) return;
    text += (text.empty() ? "" : ", ") + std::to_string(names.size()) + " " + what + " (" + NameList(names) + ")";
  };
  part(summary.added, "added");
  part(summary.filled, "filled empty slots");
  part(summary.replaced, "replaced");
  part(summary.renamed, "renamed");
  part(summary.extended, "given more sub-functions");
  part(summary.skipped, "skipped");
  return text.empty() ? "nothing to merge" : text;
}

// Pastes BLOCK into FILE: incoming functions fill empty slots of the same
// name; other conflicts are settled by --on-conflict. Prints what was done.
void PasteInto(EditSession& session, const std::vector<std::uint8_t>& block, const std::string& conflict,
               const std::string& what) {
  session.Prompt().choice = ConflictChoiceOf(conflict);
  session.Doc().SetFillEmptyOnMerge(true);
  const int failures = session.Doc().PasteBlock(block);
  if (failures < 0) throw CliError(what + ": holds no readable driver");
  for (const std::string& message : session.Prompt().messages) std::cerr << message << "\n";
  std::cout << MergeSummaryText(session.Doc().GetLastMergeSummary()) << "\n";
}

void Merge(const std::string& file, const std::string& source, const std::vector<std::string>& functions,
           const std::string& conflict, const EditOptions& options) {
  EditSession from(EditOptions{});
  from.Open(source);
  Select(from.Doc(), functions, true);
  std::vector<std::uint8_t> block;
  if (!from.Doc().GetSelection().empty() && !from.Doc().CopySelected(&block)) throw CliError(from.Prompt().Last());
  EditSession session(options);
  session.Open(file);
  const std::string target = Target(file, options);
  if (block.empty()) {
    std::cout << "nothing to merge: " << source << " has no functions\n";
  } else {
    PasteInto(session, block, conflict, source);
  }
  session.Save(target);
}

void Copy(const std::string& file, const std::string& blockPath, const std::vector<std::string>& functions, bool cut,
          const EditOptions& options) {
  CheckOutput(blockPath, options.force);
  EditSession session(options);
  session.Open(file);
  Select(session.Doc(), functions, true);
  if (session.Doc().GetSelection().empty()) throw CliError(file + ": no functions to copy");
  std::vector<std::uint8_t> block;
  if (!session.Doc().CopySelected(&block)) throw CliError(file + ": " + session.Prompt().Last());
  WriteFileBytes(blockPath, std::string_view(reinterpret_cast<const char*>(block.data()), block.size()));
  if (cut) {
    session.Doc().DeleteSelected();
    session.Doc().ApplyDeviceCommandList(false);
    session.Save(Target(file, options));
  }
}

void Paste(const std::string& file, const std::string& blockPath, const std::string& conflict,
           const EditOptions& options) {
  const std::string bytes = ReadFileBytes(blockPath);
  EditSession session(options);
  session.Open(file);
  const std::string target = Target(file, options);
  PasteInto(session, std::vector<std::uint8_t>(bytes.begin(), bytes.end()), conflict, blockPath);
  session.Save(target);
}

void Move(const std::string& file, const std::vector<std::string>& functions, const std::string& before,
          const EditOptions& options) {
  EditSession session(options);
  session.Open(file);
  Select(session.Doc(), functions, false);
  int drop = -1;
  if (!before.empty()) {
    drop = session.Doc().GetDriver().IndexOfFunction(StoredName(before));
    if (drop < 0) throw CliError(file + ": no function named " + before);
  }
  session.Doc().MoveSelected(drop);
  session.Save(Target(file, options));
}

void SetType(const std::string& file, const std::string& type, const EditOptions& options) {
  EditSession session(options);
  session.Open(file);
  const std::string stored = CheckedDeviceType(type);
  session.Doc().ChooseDeviceType(stored);
  session.Save(Target(file, options));
}

struct HeaderOptions {
  std::optional<std::string> type, manufacturer, model, comments, version;
};

void SetHeader(const std::string& file, const HeaderOptions& header, const EditOptions& options) {
  if (header.type) CheckedDeviceType(*header.type);
  EditSession session(options);
  session.Open(file);
  CDriverDoc::HeaderFields fields = session.Doc().GetHeaderFields();
  if (header.type) fields.deviceType = StoredName(*header.type);
  if (header.manufacturer) fields.manufacturer = StoredName(*header.manufacturer);
  if (header.model) fields.model = StoredName(*header.model);
  if (header.comments) fields.comments = StoredName(*header.comments);
  if (header.version) fields.version = CheckedVersion(*header.version, options.lenient);
  const std::string status = session.Doc().ApplyHeaderEdits(fields);
  if (!status.empty()) std::cerr << status << "\n";
  session.Save(Target(file, options));
}

void SetRepeat(const std::string& file, const std::string& count, const std::vector<std::string>& functions,
               const EditOptions& options) {
  EditSession session(options);
  session.Open(file);
  // COUNT is 0..15; --lenient takes what the pane's field would (the low
  // four bits of the number typed).
  if (!options.lenient) ParseNumber(count, "COUNT", 0, 15);
  Select(session.Doc(), functions, true);
  const int stored = session.Doc().SetRepeatCount(count);
  if (std::to_string(stored) != count) {
    Warnings(options.lenient).Add("COUNT '" + count + "' stored as " + std::to_string(stored));
  }
  session.Save(Target(file, options));
}

void SetModulation(const std::string& file, const std::string& state, const std::vector<std::string>& functions,
                   const EditOptions& options) {
  EditSession session(options);
  session.Open(file);
  Select(session.Doc(), functions, true);
  session.Doc().SetModulation(OnOff(state));
  session.Save(Target(file, options));
}

void SetVelmor(const std::string& file, const std::string& state, const EditOptions& options) {
  EditSession session(options);
  session.Open(file);
  session.Doc().SetVelmorFlag(OnOff(state));
  session.Save(Target(file, options));
}

// --- registration ------------------------------------------------------------

template <typename T, typename... Args>
std::shared_ptr<T> Make(Args&&... args) {
  return std::make_shared<T>(std::forward<Args>(args)...);
}

void RegisterDriverEdit(CLI::App& app) {
  auto& group = Group(app, "driver", "Inspect and build .vir driver files");
  const std::string conflictHelp =
      "What to do with a function whose name the driver already has: rename-new (NewNAME), rename-old (OldNAME), "
      "replace, add (its sub-functions), skip (default) or skip-all";

  {
    auto* cmd = group.add_subcommand("export", "Export a driver (or the functions named) to a driver INI file");
    auto file = Make<std::string>();
    auto out = Make<std::string>();
    auto force = Make<bool>(false);
    auto functions = Make<std::vector<std::string>>();
    cmd->add_option("FILE", *file, "Driver file (.vir); - reads standard input")->required();
    cmd->add_option("OUT", *out, "INI file to write; - writes standard output")->required();
    AddFunctionsOption(cmd, *functions, "Export only these functions");
    AddForceFlag(cmd, *force);
    cmd->callback([=] { Export(*file, *out, *functions, *force); });
  }
  {
    auto* cmd = group.add_subcommand(
        "import",
        "Import a driver INI file into a new driver (or the one given with --into) and save it; the recorded "
        "messages go to stderr, one per line, in order, and make the exit status 1 (the driver is still written) "
        "unless --lenient");
    auto in = Make<std::string>();
    auto out = Make<std::string>();
    auto into = Make<std::string>();
    auto options = Make<EditOptions>();
    cmd->add_option("IN", *in, "Driver INI file; - reads standard input")->required();
    cmd->add_option("OUT", *out, "Driver file to write (.vir); - writes standard output")->required();
    cmd->add_option("--into", *into, "Replace the functions of this driver instead of starting a new one");
    cmd->add_option("--access-code", options->accessCode, "The supported-driver access code");
    AddForceFlag(cmd, options->force);
    AddLenientFlag(cmd, options->lenient);
    cmd->callback([=] { Import(*in, *out, *into, *options); });
  }
  {
    auto* cmd = group.add_subcommand("new", "Create a driver laid out along the device type's command list");
    auto out = Make<std::string>();
    auto type = Make<std::string>();
    auto manufacturer = Make<std::string>();
    auto model = Make<std::string>();
    auto comments = Make<std::string>();
    auto version = Make<std::string>("1");
    auto options = Make<EditOptions>();
    cmd->add_option("OUT", *out, "Driver file to write (.vir)")->required();
    cmd->add_option("--type", *type, "Device type of the command lists (\"DVD\", \"VCR\", ...; OTHER for none)")
        ->required();
    cmd->add_option("--manufacturer", *manufacturer, "Manufacturer");
    cmd->add_option("--model", *model, "Model");
    cmd->add_option("--comments", *comments, "Comments");
    cmd->add_option("--version", *version, "Driver version (1..255)");
    AddForceFlag(cmd, options->force);
    AddLenientFlag(cmd, options->lenient);
    cmd->callback([=] { New(*out, *type, *manufacturer, *model, *comments, *version, *options); });
  }
  {
    auto* cmd = group.add_subcommand("rename", "Rename a function (a standard name moves it to its position)");
    auto file = Make<std::string>();
    auto from = Make<std::string>();
    auto to = Make<std::string>();
    auto options = Make<EditOptions>();
    cmd->add_option("FILE", *file, "Driver file (.vir)")->required();
    cmd->add_option("OLD", *from, "Current name")->required();
    cmd->add_option("NEW", *to, "New name")->required();
    AddEditOptions(cmd, *options);
    cmd->callback([=] { Rename(*file, *from, *to, *options); });
  }
  {
    auto* cmd = group.add_subcommand("delete", "Delete functions");
    auto file = Make<std::string>();
    auto names = Make<std::vector<std::string>>();
    auto options = Make<EditOptions>();
    cmd->add_option("FILE", *file, "Driver file (.vir)")->required();
    cmd->add_option("NAMES", *names, "Functions to delete")->required();
    AddEditOptions(cmd, *options);
    cmd->callback([=] { Delete(*file, *names, *options); });
  }
  {
    auto* cmd = group.add_subcommand("add", "Add new functions (at most 126 in a driver)");
    auto file = Make<std::string>();
    auto names = Make<std::vector<std::string>>();
    auto options = Make<EditOptions>();
    cmd->add_option("FILE", *file, "Driver file (.vir)")->required();
    cmd->add_option("NAMES", *names, "Names of the new functions")->required();
    AddEditOptions(cmd, *options);
    cmd->callback([=] { Add(*file, *names, *options); });
  }
  {
    auto* cmd = group.add_subcommand(
        "merge",
        "Copy functions of SOURCE into FILE, as a paste would; a function fills an empty slot of its name, and a "
        "summary of what was added, filled, renamed and skipped is printed");
    auto file = Make<std::string>();
    auto source = Make<std::string>();
    auto functions = Make<std::vector<std::string>>();
    auto conflict = Make<std::string>("skip");
    auto options = Make<EditOptions>();
    cmd->add_option("FILE", *file, "Driver file to merge into (.vir)")->required();
    cmd->add_option("SOURCE", *source, "Driver file to copy from (.vir)")->required();
    AddFunctionsOption(cmd, *functions, "Copy only these functions");
    cmd->add_option("--on-conflict", *conflict, conflictHelp);
    AddEditOptions(cmd, *options);
    cmd->callback([=] { Merge(*file, *source, *functions, *conflict, *options); });
  }
  {
    auto* cmd = group.add_subcommand(
        "copy", "Write the clipboard block of functions (length word, then a driver image) to BLOCK");
    auto file = Make<std::string>();
    auto block = Make<std::string>();
    auto functions = Make<std::vector<std::string>>();
    auto cut = Make<bool>(false);
    auto options = Make<EditOptions>();
    cmd->add_option("FILE", *file, "Driver file (.vir)")->required();
    cmd->add_option("BLOCK", *block, "Clipboard block file to write; - writes standard output")->required();
    AddFunctionsOption(cmd, *functions, "Copy only these functions");
    cmd->add_flag("--cut", *cut, "Delete the copied functions from FILE");
    AddEditOptions(cmd, *options);
    cmd->callback([=] { Copy(*file, *block, *functions, *cut, *options); });
  }
  {
    auto* cmd = group.add_subcommand("paste", "Paste a clipboard block file into a driver");
    auto file = Make<std::string>();
    auto block = Make<std::string>();
    auto conflict = Make<std::string>("skip");
    auto options = Make<EditOptions>();
    cmd->add_option("FILE", *file, "Driver file (.vir)")->required();
    cmd->add_option("BLOCK", *block, "Clipboard block file; - reads standard input")->required();
    cmd->add_option("--on-conflict", *conflict, conflictHelp);
    AddEditOptions(cmd, *options);
    cmd->callback([=] { Paste(*file, *block, *conflict, *options); });
  }
  {
    auto* cmd = group.add_subcommand("move", "Move functions before another one (or to the end)");
    auto file = Make<std::string>();
    auto functions = Make<std::vector<std::string>>();
    auto before = Make<std::string>();
    auto options = Make<EditOptions>();
    cmd->add_option("FILE", *file, "Driver file (.vir)")->required();
    AddFunctionsOption(cmd, *functions, "Functions to move")->required();
    cmd->add_option("--before", *before, "Put them before this function (default: at the end)");
    AddEditOptions(cmd, *options);
    cmd->callback([=] { Move(*file, *functions, *before, *options); });
  }
  {
    auto* cmd = group.add_subcommand(
        "set-type", "Choose the device type: its command list is applied and trailing placeholders trimmed");
    auto file = Make<std::string>();
    auto type = Make<std::string>();
    auto options = Make<EditOptions>();
    cmd->add_option("FILE", *file, "Driver file (.vir)")->required();
    cmd->add_option("TYPE", *type, "Device type")->required();
    AddEditOptions(cmd, *options);
    cmd->callback([=] { SetType(*file, *type, *options); });
  }
  {
    auto* cmd = group.add_subcommand(
        "set-header", "Edit the header fields as the header pane does (cleaned texts, upper-cased type)");
    auto file = Make<std::string>();
    auto header = Make<HeaderOptions>();
    auto options = Make<EditOptions>();
    cmd->add_option("FILE", *file, "Driver file (.vir)")->required();
    cmd->add_option("--type", header->type, "Device type");
    cmd->add_option("--manufacturer", header->manufacturer, "Manufacturer");
    cmd->add_option("--model", header->model, "Model");
    cmd->add_option("--comments", header->comments, "Comments");
    cmd->add_option("--version", header->version, "Driver version (1..255)");
    AddEditOptions(cmd, *options);
    AddLenientFlag(cmd, options->lenient);
    cmd->callback([=] { SetHeader(*file, *header, *options); });
  }
  {
    auto* cmd = group.add_subcommand("set-repeat", "Set the minimum repeat count (0..15)");
    auto file = Make<std::string>();
    auto count = Make<std::string>();
    auto functions = Make<std::vector<std::string>>();
    auto options = Make<EditOptions>();
    cmd->add_option("FILE", *file, "Driver file (.vir)")->required();
    cmd->add_option("COUNT", *count, "Repeat count 0..15 (--lenient: the low 4 bits of any number)")->required();
    AddFunctionsOption(cmd, *functions, "Only these functions (default: all)");
    AddEditOptions(cmd, *options);
    AddLenientFlag(cmd, options->lenient);
    cmd->callback([=] { SetRepeat(*file, *count, *functions, *options); });
  }
  {
    auto* cmd = group.add_subcommand("set-modulation", "Send functions on the carrier (on) or not (off)");
    auto file = Make<std::string>();
    auto state = Make<std::string>();
    auto functions = Make<std::vector<std::string>>();
    auto options = Make<EditOptions>();
    cmd->add_option("FILE", *file, "Driver file (.vir)")->required();
    cmd->add_option("STATE", *state, "on or off")->required();
    AddFunctionsOption(cmd, *functions, "Only these functions (default: all)");
    AddEditOptions(cmd, *options);
    cmd->callback([=] { SetModulation(*file, *state, *functions, *options); });
  }
  {
    auto* cmd = group.add_subcommand(
        "set-velmor", "Set (with the supported-driver --access-code) or clear the \"Is Velmor Driver\" mark");
    auto file = Make<std::string>();
    auto state = Make<std::string>();
    auto options = Make<EditOptions>();
    cmd->add_option("FILE", *file, "Driver file (.vir)")->required();
    cmd->add_option("STATE", *state, "on or off")->required();
    AddEditOptions(cmd, *options);
    cmd->callback([=] { SetVelmor(*file, *state, *options); });
  }
}

}  // namespace
}  // namespace quillon::cli

QUILLON_CLI_GROUP(driver_edit, quillon::cli::RegisterDriverEdit);
