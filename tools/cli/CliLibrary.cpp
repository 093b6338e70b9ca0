// "library probe DIR": walks a driver library folder the way the driver
// library browser does — through the package-reader plug-in's dispatch calls
// (file size, then file bytes) — and reports what it found: each package's
// "irsupport.ini" and every driver it lists, and the loose drivers.
#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/CMemINI.h"
#include "app/ComRegistration.h"
#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrException.h"
#include "irmodel/TQVXIrLoadBuffer.h"
#include "pkgreader/ResFile.h"
#include "pkgreader/VelmorPackageReaderIds.h"
#include "platform/ComLitePtr.h"
#include "platform/ComLiteUnknown.h"
#include "platform/ComLiteVariant.h"
#include "platform/Cp1252.h"
#include "tools/cli/CliCommand.h"

namespace quillon::cli {
namespace {

using namespace com;
using Json = nlohmann::ordered_json;

// The plug-in, created by class identifier and called only through Invoke.
class PackageReader {
 public:
  PackageReader() {
    const HRESULT hr = ComRegistration::CoCreateInstance(pkgreader::CLSID_VelmorPackageReaderCtrl, nullptr,
                                                         CLSCTX_INPROC_SERVER, IID_IDispatch, ctrl_.OutVoid());
    if (FAILED(hr) || !ctrl_)
      throw CliError("cannot create the package reader " + GuidToString(pkgreader::CLSID_VelmorPackageReaderCtrl) +
                     " (result " + Hex(hr) + "); register libVelmorPackageReader.so and libVelmorFileTools.so");
  }

  // Dispatch id 9: size of FILE in package PKG of BIG (0 on any failure).
  long Size(const std::string& big, const std::string& pkg, const std::string& file, const std::string& dir) {
    return Call(pkgreader::DISPID_GetSizeOfFileInsidePkeFile, {big, pkg, file, dir}, nullptr);
  }

  // Dispatch id 10: the file's bytes; false when the plug-in reports failure.
  bool Read(const std::string& big, const std::string& pkg, const std::string& file, const std::string& dir,
            std::string& bytes) {
    VARIANT buffer;
    VariantInit(&buffer);
    const long rc = Call(pkgreader::DISPID_GetFileFromPke, {big, pkg, file, dir}, &buffer);
    bytes.clear();
    if (rc == 1 && VariantIsByteArray(&buffer)) {
      void* data = nullptr;
      if (SUCCEEDED(SafeArrayAccessData(buffer.parray, &data))) {
        bytes.assign(static_cast<const char*>(data), buffer.parray->rgsabound[0].cElements);
        SafeArrayUnaccessData(buffer.parray);
      }
    }
    VariantClear(&buffer);
    return rc == 1;
  }

 private:
  static std::string Hex(HRESULT hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
  }

  long Call(DISPID id, const std::vector<std::string>& args, VARIANT* out) {
    std::vector<ComBstr> strings;
    strings.reserve(args.size());
    for (const auto& a : args) strings.emplace_back(a);
    std::vector<VARIANT> v(args.size() + (out ? 1 : 0));
    size_t at = v.size();
    for (size_t i = 0; i < args.size(); ++i) {  // arguments go in reverse order
      VARIANT& x = v[--at];
      VariantInit(&x);
      x.vt = VT_BSTR;
      x.bstrVal = strings[i].Get();
    }
    if (out) {
      VariantInit(&v[0]);
      v[0].vt = VT_BYREF | VT_VARIANT;
      v[0].pvarVal = out;
    }
    DISPPARAMS params{v.data(), nullptr, static_cast<uint32_t>(v.size()), 0};
    VARIANT result;
    VariantInit(&result);
    const HRESULT hr = ctrl_->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, &result, nullptr, nullptr);
    if (FAILED(hr)) {
      throw CliError(args.front() + ": the package reader could not read " + (args.size() > 2 ? args[2] : std::string()) +
                     " (result " + Hex(hr) + ")");
    }
    const long value = result.vt == VT_I4 ? result.lVal : 0;
    VariantClear(&result);
    return value;
  }

  ComPtr<IDispatch> ctrl_;
};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Trim(const std::string& s) {
  const size_t a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return {};
  const size_t b = s.find_last_not_of(" \t");
  return s.substr(a, b - a + 1);
}

// Version numbers of a model: every run of digits of a Version value that
// starts with a digit.
std::vector<int> Versions(const std::string& value) {
  std::vector<int> out;
  const std::string v = Trim(value);
  if (v.empty() || !std::isdigit(static_cast<unsigned char>(v[0]))) return out;
  long n = -1;
  for (char c : v + ",") {
    if (std::isdigit(static_cast<unsigned char>(c))) {
      n = (n < 0 ? 0 : n) * 10 + (c - '0');
      if (n > 1000000000) n = 1000000000;
    } else if (n >= 0) {
      out.push_back(static_cast<int>(n));
      n = -1;
    }
  }
  return out;
}

// Why a driver's bytes do not make a driver ("" when they do).
std::string DriverProblem(const std::string& bytes) {
  try {
    TQVXIr driver;
    TQVXIrLoadBuffer stream(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    driver.Load(stream);
  } catch (const TQVXIrException& e) {
    return std::string("not a readable driver (") + e.what() + ")";
  }
  return std::string();
}

Json ProbePackage(PackageReader& reader, const std::string& dir, const std::string& name, bool json,
                  std::vector<std::string>& problems) {
  Json pkg = {{"package", Cp1252ToUtf8(name)}};
  auto describe = [&](const std::string& file, std::string& bytes) {
    const long size = reader.Size(name, "vir.pki", file, dir);
    const bool read = size > 0 && reader.Read(name, "vir.pki", file, dir, bytes);
    // A file the package lists but does not hold is the library's business;
    // one it holds but cannot give is damage.
    if (size > 0 && !read) problems.push_back(dir + name + ": " + Cp1252ToUtf8(file) + " could not be read");
    Json f = {{"file", Cp1252ToUtf8(file)}, {"size", size}, {"read", read}, {"bytes", read ? bytes.size() : 0}};
    if (!json) {
      std::cout << "  " << Cp1252ToUtf8(file) << ": size " << size;
      if (size > 0) std::cout << (read ? ", read " + std::to_string(bytes.size()) + " bytes" : ", not read");
      std::cout << "\n";
    }
    return f;
  };
  if (!json) std::cout << "package " << Cp1252ToUtf8(name) << "\n";
  // A resource package whose member table cannot be read whole is damaged
  // (cut short, say), whatever the reader makes of it.
  const std::string path = dir + name;
  if (CResFile::IsValidFormat(path)) {
    CResFile package;
    if (!package.Open(path) || package.GetFileCount() != package.GetHeaderEntryCount()) {
      problems.push_back(path + ": damaged package: its header announces " +
                         std::to_string(package.GetHeaderEntryCount()) + " members, " +
                         std::to_string(package.GetFileCount()) + " could be read");
    }
  }
  std::string support;
  pkg["irsupport"] = describe("irsupport.ini", support);
  Json drivers = Json::array();
  if (!support.empty()) {
    CMemINI ini;
    ini.LoadBuffer(support);
    const int num = ini.GetInt("supported", "Num", 0);
    for (int i = 0; num > 0 && i <= num; ++i) {
      const CMemINISection* model = ini.FindSection("model_" + std::to_string(i));
      if (!model) continue;
      const std::string type = model->GetString("TypeId", "");
      const std::string brand = model->GetString("BrandId", "");
      const std::string modelName = model->GetString("ModelName", "");
      const std::string drvpkg = model->GetString("Drvpkg", "");
      const auto versions = Versions(model->GetString("Version", ""));
      if (type.empty() || brand.empty() || modelName.empty() || drvpkg.empty() || versions.empty()) continue;
      for (int version : versions) {
        const std::string file = drvpkg + "_" + std::to_string(version) + ".vir";
        std::string bytes;
        Json d = describe(file, bytes);
        if (!bytes.empty()) {
          const std::string problem = DriverProblem(bytes);
          if (!problem.empty()) problems.push_back(dir + name + ": " + Cp1252ToUtf8(file) + ": " + problem);
        }
        d["model"] = Cp1252ToUtf8(modelName);
        d["type"] = std::atoi(type.c_str());
        d["brand"] = std::atoi(brand.c_str());
        d["version"] = version;
        drivers.push_back(std::move(d));
      }
    }
  }
  pkg["drivers"] = drivers;
  return pkg;
}

void RegisterLibrary(CLI::App& app) {
  CLI::App& group = Group(app, "library", "The driver library: packages and loose drivers");
  auto* cmd = group.add_subcommand("probe", "Walk a library folder through the package reader and report its drivers");
  auto dir = std::make_shared<std::string>();
  auto json = std::make_shared<bool>(false);
  cmd->add_option("DIR", *dir, "Library folder")->required();
  AddJsonFlag(cmd, *json);
  cmd->footer("Exit status 1 when a package or driver of the folder cannot be read (each is named on stderr).");
  cmd->callback([dir, json] {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_directory(*dir, ec)) {
      throw CliError(*dir + ": " + std::strerror(fs::exists(*dir, ec) ? ENOTDIR : ENOENT));
    }
    std::vector<std::string> packages, indexes, loose;
    for (const auto& e : fs::directory_iterator(*dir, ec)) {
      if (!e.is_regular_file(ec)) continue;
      const std::string name = e.path().filename().string();
      const std::string ext = Lower(e.path().extension().string());
      if (ext == ".pkg") packages.push_back(name);
      else if (ext == ".pki") indexes.push_back(name);
      else if (ext == ".vir") loose.push_back(name);
    }
    if (ec) throw CliError(*dir + ": " + ec.message());
    std::sort(packages.begin(), packages.end());
    std::sort(indexes.begin(), indexes.end());
    std::sort(loose.begin(), loose.end());
    std::string folder = *dir;
    if (folder.back() != '/' && folder.back() != '\\') folder += '/';
    if (!*json)
      std::cout << "library " << folder << ": " << packages.size() << " packages, " << indexes.size()
                << " index files, " << loose.size() << " loose drivers\n";
    PackageReader reader;
    std::vector<std::string> problems;
    Json result = {{"folder", folder}, {"packages", Json::array()}, {"index_files", Json::array()}, {"loose", Json::array()}};
    for (const auto& p : packages) result["packages"].push_back(ProbePackage(reader, folder, p, *json, problems));
    for (const auto& p : indexes) result["index_files"].push_back(Cp1252ToUtf8(p));
    for (const auto& v : loose) {
      const std::string path = (fs::path(*dir) / v).string();
      std::string problem;
      try {
        problem = DriverProblem(ReadFileBytes(path));
      } catch (const CliError& e) {
        problem = e.what();
      }
      Json entry = {{"file", Cp1252ToUtf8(v)}, {"size", fs::file_size(fs::path(*dir) / v, ec)}, {"driver", problem.empty()}};
      result["loose"].push_back(std::move(entry));
      if (!problem.empty()) problems.push_back(path + ": " + problem);
      if (!*json) std::cout << "loose " << v << (problem.empty() ? "" : " (" + problem + ")") << "\n";
    }
    if (*json) std::cout << result.dump(2) << "\n";
    std::cout.flush();
    for (size_t i = 0; i + 1 < problems.size(); ++i) std::cerr << "quillon-cli: " << problems[i] << "\n";
    if (!problems.empty()) throw CliError(problems.back());
  });
}

}  // namespace
}  // namespace quillon::cli

QUILLON_CLI_GROUP(library, quillon::cli::RegisterLibrary);
