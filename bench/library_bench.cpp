// Listing a driver library: 2,000 packages of about ten models each (every
// fourth a resource package, the others archives) read through the real
// package-reader plug-in, as the Open Driver dialog loads them. Only the two
// support files of each package are read. Two kinds of "irfunction.ini":
// lean (the package's own types and manufacturers) and full (the whole
// reference list of 26 types and 349 manufacturers in every package).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/CEmbeddedResources.h"
#include "filetools/CVmArchiveFormat.h"
#include "filetools/CVmMemArchive.h"
#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrHeaderEntry.h"
#include "irmodel/TQVXIrSaveBuffer.h"
#include "library/CDriverLibraryLoader.h"
#include "library/CDriverLibraryScan.h"
#include "library/CVelmorPackageReader.h"
#include "pkgreader/ResFile.h"

namespace {

using namespace quillon;

constexpr int kPackages = 2000;
constexpr int kModelsPerPackage = 10;

std::vector<std::uint8_t> Bytes(const std::string& s) { return {s.begin(), s.end()}; }

std::vector<std::uint8_t> Driver(int package, int model, int version) {
  TQVXIr ir;
  ir.GetHeader().AddText(TQVXIrHeaderEntry::kDeviceModel, ("M" + std::to_string(package * 100 + model)).c_str());
  ir.GetHeader().AddText(TQVXIrHeaderEntry::kDriverVersion, std::to_string(version).c_str());
  for (int f = 0; f < 8; ++f) {
    auto function = std::make_unique<TQVXIrFunction>();
    function->SetName(("F" + std::to_string(f)).c_str());
    auto sub = std::make_unique<TQVXIrSubFunction>();
    const std::vector<std::uint16_t> times = {342, 171, 21, 64, static_cast<std::uint16_t>(1500 + f)};
    std::vector<std::uint8_t> body;
    for (int bit = 0; bit < 32; ++bit) body.push_back(((model * 31 + f) >> (bit % 8)) & 1 ? 0x23 : 0x22);
    const std::uint8_t header = 0x01;
    sub->SetDivider(1736);
    sub->SetTimes(times);
    sub->SetCounts(static_cast<std::uint8_t>(0x10 | times.size()));
    sub->SetHeaderAndBody(&header, 1, body.data(), static_cast<int>(body.size()));
    function->AddSubFunction(std::move(sub));
    ir.Append(std::move(function));
  }
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(ir.ComputeSize(true, 0)));
  TQVXIrSaveBuffer out(bytes.data(), bytes.size());
  ir.Save(out, 0);
  return bytes;
}

// The generated folders, removed when the program ends.
struct Folders {
  ~Folders() {
    std::error_code ec;
    const bool keep = std::getenv("QUILLON_BENCH_LIBRARY_DIR") != nullptr;
    for (int i = 0; i < 3; ++i)
      if (!paths[i].empty() && (i == 2 || !keep)) std::filesystem::remove_all(paths[i], ec);
  }
  std::string paths[3];
} g_folders;

// The library folder of one kind, generated once per run.
std::string Library(bool fullLists) {
  std::string& folder = g_folders.paths[fullLists ? 1 : 0];
  if (!folder.empty()) return folder;
  // QUILLON_BENCH_LIBRARY_DIR keeps the generated libraries there (in
  // "lean" and "full"), for timing "quillon-cli library list" on them.
  if (const char* keep = std::getenv("QUILLON_BENCH_LIBRARY_DIR")) {
    const std::string kept = std::string(keep) + (fullLists ? "/full" : "/lean");
    std::filesystem::create_directories(kept);
    if (std::filesystem::exists(kept + "/pkg" + std::to_string(kPackages - 1) + ".pkg")) return kept;
    folder = kept;
  } else {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillon-library-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return {};
    folder = pattern;
  }
  const std::string fullText = CEmbeddedResources::IniText(CEmbeddedResources::kIrFunctionsIni);
  for (int p = 0; p < kPackages; ++p) {
    std::string support = "[supported]\r\nNum=" + std::to_string(kModelsPerPackage - 1) + "\r\n";
    std::string functions = fullText;
    if (!fullLists)
      functions = "[main]\r\ntype_count=2\r\ntype0=" + std::to_string(p % 26) + ",Type " + std::to_string(p % 26) +
                  "\r\ntype1=31,Other\r\n[mfg]\r\nmfg_count=1\r\nmfg0=" + std::to_string(p % 349 + 1) + ",Maker " +
                  std::to_string(p % 349 + 1) + "\r\n";
    std::vector<std::pair<std::string, std::vector<std::uint8_t>>> members;
    for (int m = 0; m < kModelsPerPackage; ++m) {
      const std::string drvpkg = "P" + std::to_string(p) + "M" + std::to_string(m);
      const int versions = 1 + m % 3;
      std::string versionList;
      for (int v = 1; v <= versions; ++v) {
        versionList += (v > 1 ? "," : "") + std::to_string(v);
        members.emplace_back(drvpkg + "_" + std::to_string(v) + ".vir", Driver(p, m, v));
      }
      support += "[model_" + std::to_string(m) + "]\r\nTypeId=" + std::to_string(p % 26) + "\r\nBrandId=" +
                 std::to_string(p % 349 + 1) + "\r\nModelName=Model " + std::to_string(p) + "-" + std::to_string(m) +
                 "\r\nDrvpkg=" + drvpkg + "\r\nVersion=" + versionList + "\r\n";
    }
    members.emplace_back("irsupport.ini", Bytes(support));
    members.emplace_back("irfunction.ini", Bytes(functions));
    const std::string path = folder + "/pkg" + std::to_string(p) + ".pkg";
    if (p % 4 == 3) {
      CResFile package;
      package.SetCompressionLevel(3);
      for (const auto& [name, bytes] : members) package.AddBuffer(bytes.data(), bytes.size(), name.c_str());
      package.Save(path);
    } else {
      filetools::CVmMemArchive archive;
      for (const auto& [name, bytes] : members)
        archive.AddBytes(name, bytes.data(), static_cast<std::uint32_t>(bytes.size()),
                         filetools::CVmArchiveFormat::TimeFields(1700000000));
      std::vector<std::uint8_t> image;
      archive.Save(image);
      std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(image.data()),
                                                   static_cast<std::streamsize>(image.size()));
    }
  }
  return folder;
}

void BM_ListLibrary(benchmark::State& state) {
  const bool full = state.range(0) != 0;
  const std::string folder = Library(full);
  CVelmorPackageReader reader;
  if (!reader.IsCreated()) {
    state.SkipWithError(reader.CreateError().c_str());
    return;
  }
  std::size_t models = 0, skipped = 0;
  for (auto _ : state) {
    library::CDriverLibraryScan scan;
    library::CDriverLibraryScan::List(folder, scan);
    library::CDriverLibraryLoader loader(reader, std::move(scan));
    loader.Run();
    models = loader.GetContents().m_models.GetCount();
    skipped = loader.GetContents().m_skipped.size();
  }
  state.counters["packages"] = kPackages;
  state.counters["models"] = static_cast<double>(models);
  state.counters["skipped"] = static_cast<double>(skipped);
  if (models != static_cast<std::size_t>(kPackages * kModelsPerPackage)) state.SkipWithError("models missing");
}
BENCHMARK(BM_ListLibrary)->Arg(0)->Arg(1)->ArgName("full_lists")->Unit(benchmark::kMillisecond)->Iterations(3);

// Keeps the bench's registry lookups away from the machine's own stores; the
// plug-ins are then found beside the build tree.
struct PrivateRegistry {
  PrivateRegistry() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillon-library-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return;
    g_folders.paths[2] = pattern;
    ::setenv("QUILLON_MACHINE_REGISTRY", (pattern + "/machine.ini").c_str(), 0);
    ::setenv("QUILLON_USER_REGISTRY", (pattern + "/user.ini").c_str(), 0);
  }
} g_privateRegistry;

}  // namespace

BENCHMARK_MAIN();
