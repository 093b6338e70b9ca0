#pragma once
// The real remote-control signals of tests/data/corpus as the signal tests
// use them: the held-button durations, the first frame, the carrier, and for
// the protocol renderings the code they carry.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "signals/TIrCode.h"
#include "signals/TIrSignal.h"

namespace quillon::testing_support {

struct CorpusSignal {
  std::string id;
  std::string name;  // the button name in the database
  int carrier_hz = 0;
  std::vector<uint32_t> durations;
  int first_frame = 0;
  bool parsed = false;  // a protocol rendering with a code
  TIrCode code;

  std::vector<uint32_t> FirstFrame() const {
    return std::vector<uint32_t>(durations.begin(), durations.begin() + first_frame);
  }
  // The first frame as a file stores one press: without its closing pause.
  std::vector<uint32_t> StoredPress() const {
    auto frame = FirstFrame();
    frame.pop_back();
    return frame;
  }
};

inline std::filesystem::path CorpusDir() { return std::filesystem::path(QUILLON_TEST_DATA_DIR) / "corpus"; }

inline std::vector<uint8_t> CorpusCapture(const std::string& kind, const std::string& id) {
  std::ifstream in(CorpusDir() / kind / (id + ".bin"), std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline const std::vector<CorpusSignal>& Corpus() {
  static const std::vector<CorpusSignal> all = [] {
    std::vector<CorpusSignal> out;
    std::ifstream indexFile(CorpusDir() / "index.json");
    const auto index = nlohmann::json::parse(indexFile);
    for (const auto& row : index["signals"]) {
      CorpusSignal s;
      s.id = row["id"].get<std::string>();
      std::ifstream file(CorpusDir() / "signals" / (s.id + ".json"));
      const auto j = nlohmann::json::parse(file);
      s.carrier_hz = j["carrier_hz"].get<int>();
      s.durations = j["durations_us"].get<std::vector<uint32_t>>();
      s.first_frame = j["first_frame"].get<int>();
      const auto& source = j["source"];
      s.name = source.value("name", s.id);
      if (source.contains("protocol")) {
        s.parsed = true;
        s.code = TIrCode{source["protocol"].get<std::string>(), source["address"].get<uint32_t>(),
                         source["command"].get<uint32_t>()};
      }
      out.push_back(std::move(s));
    }
    return out;
  }();
  return all;
}

}  // namespace quillon::testing_support
