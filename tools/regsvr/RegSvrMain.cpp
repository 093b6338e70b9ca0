// quillon-regsvr [-u] LIBRARY
// Loads a component server library and calls its DllRegisterServer (or
// DllUnregisterServer with -u). The machine store is the registry stand-in's
// (QUILLON_MACHINE_REGISTRY overrides its place).
// Exit status: 0 success, 1 failure, 2 usage.
#include <cstdio>
#include <cstring>
#include <string>

#include "app/CRegistry.h"
#include "app/ComRegistration.h"
#include "quillon/Version.h"

int main(int argc, char** argv) {
  bool unregister = false;
  std::string library;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-u" || arg == "/u") {
      unregister = true;
    } else if (arg == "-h" || arg == "--help") {
      std::printf("Usage: quillon-regsvr [-u] LIBRARY\n"
                  "Registers a component server library (its class identifiers, program identifiers,\n"
                  "threading model and path) in the machine store (%s).\n"
                  "QUILLON_MACHINE_REGISTRY names another store file.\n"
                  "\n"
                  "Options:\n"
                  "  -u, /u       unregister the library instead\n"
                  "  -h, --help   show this help and exit\n"
                  "  --version    show the version and exit\n"
                  "\n"
                  "Exit status: 0 when done, 1 when the library could not be registered, 2 for a\n"
                  "mistake in the command line.\n",
                  quillon::CRegistry::StorePath(quillon::RegistryRoot::Machine).c_str());
      return 0;
    } else if (arg == "--version") {
      std::printf("quillon-regsvr %s\n", QUILLON_VERSION_TEXT);
      return 0;
    } else if (!arg.empty() && arg[0] == '-') {
      std::fprintf(stderr, "quillon-regsvr: unknown option %s\n", arg.c_str());
      return 2;
    } else if (library.empty()) {
      library = arg;
    } else {
      std::fprintf(stderr, "quillon-regsvr: only one library can be named\n");
      return 2;
    }
  }
  if (library.empty()) {
    std::fprintf(stderr, "Usage: quillon-regsvr [-u] LIBRARY (--help for more)\n");
    return 2;
  }
  std::string error;
  const quillon::com::HRESULT hr = quillon::ComRegistration::RegisterServerLibrary(library, unregister, &error);
  if (quillon::com::FAILED(hr)) {
    std::fprintf(stderr, "quillon-regsvr: %s of %s failed (0x%08X)%s%s\n",
                 unregister ? "DllUnregisterServer" : "DllRegisterServer", library.c_str(),
                 static_cast<unsigned>(hr), error.empty() ? "" : ": ", error.c_str());
    return 1;
  }
  std::printf("%s %s\n", unregister ? "unregistered" : "registered", library.c_str());
  return 0;
}
