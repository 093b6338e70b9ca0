// Start-up of the program: from starting the quillon process to its main
// window drawn for the first time with a 126-function driver open (offscreen
// platform; the program ends itself after that first drawing). Reported per
// start, never asserted; the aim is under half a second.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "irmodel/TQVXIr.h"
#include "irmodel/TQVXIrSaveBuffer.h"

extern char** environ;

namespace {

using namespace quillon;

std::unique_ptr<TQVXIrSubFunction> NecFrame(std::uint8_t address, std::uint8_t command) {
  std::vector<std::uint8_t> header{0x01};
  for (std::uint8_t byte : {address, static_cast<std::uint8_t>(~address), command, static_cast<std::uint8_t>(~command)})
    for (int bit = 0; bit < 8; ++bit) header.push_back(((byte >> bit) & 1) ? 0x23 : 0x22);
  header.push_back(0x24);
  const std::uint8_t body[2] = {0x05, 0x26};
  const std::uint16_t times[7] = {342, 171, 21, 64, 1520, 86, 3650};
  auto sub = std::make_unique<TQVXIrSubFunction>();
  sub->SetFlags(TQVXIrSubFunction::kModulated);
  sub->SetDivider(1736);
  sub->SetTimes(times, 7);
  sub->SetCounts(0x17);
  sub->SetHeaderAndBody(header.data(), static_cast<int>(header.size()), body, 2);
  return sub;
}

// A driver of 126 learned functions in a temporary folder, with registry
// stores of its own so the user's settings stay untouched.
struct Workspace {
  std::filesystem::path dir;
  std::string driver;
  Workspace() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillon-bench-XXXXXX").string();
    dir = ::mkdtemp(pattern.data()) ? std::filesystem::path(pattern) : std::filesystem::temp_directory_path();
    TQVXIr ir;
    ir.GetHeader().AddText(0x83, "RECEIVER");
    for (int i = 0; i < 126; ++i) {
      auto f = std::make_unique<TQVXIrFunction>();
      f->SetName("FUNCTION " + std::to_string(i));
      f->AddSubFunction(NecFrame(0x40, static_cast<std::uint8_t>(i)));
      ir.Append(std::move(f));
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(ir.ComputeSize(true, 0)));
    TQVXIrSaveBuffer out(bytes.data(), bytes.size());
    ir.Save(out, 0);
    driver = (dir / "receiver.vir").string();
    std::ofstream(driver, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                  static_cast<std::streamsize>(bytes.size()));
    ::setenv("QUILLON_USER_REGISTRY", (dir / "user.ini").c_str(), 1);
    ::setenv("QUILLON_MACHINE_REGISTRY", (dir / "machine.ini").c_str(), 1);
    ::setenv("QUILLON_INSTANCE_SOCKET", (dir / "instance").c_str(), 1);
    ::setenv("QUILLON_STARTUP_PROBE", "1", 1);
  }
  ~Workspace() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

void BM_StartupToWindowWith126Functions(benchmark::State& state) {
  Workspace workspace;
  const std::string program = QUILLON_BINARY_DIR "/tools/gui/quillon";
  std::vector<std::string> args = {program, "-platform", "offscreen", workspace.driver};
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  // The program's own notes (the offscreen platform's) stay out of the report.
  posix_spawn_file_actions_t quiet;
  posix_spawn_file_actions_init(&quiet);
  posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (::posix_spawn(&pid, program.c_str(), &quiet, nullptr, argv.data(), environ) != 0) {
      state.SkipWithError("quillon could not be started");
      break;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("quillon did not start cleanly");
      break;
    }
    state.SetIterationTime(elapsed.count());
  }
  posix_spawn_file_actions_destroy(&quiet);
}
BENCHMARK(BM_StartupToWindowWith126Functions)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
