// The fuzzer's check, run on every build: over the inputs kept because they once found a
// fault, over the seeds in every mode, and against outputs spoilt on purpose, so that a check
// that stopped looking would be noticed.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "conversion_check.hpp"
#include "engine/mode_table.hpp"
#include "seed_inputs.hpp"
#include "support/file_bytes.hpp"

namespace morvane::fuzz {
namespace {

std::string Joined(const std::vector<std::string>& findings) {
  std::string text;
  for (const std::string& finding : findings) text += "\n  " + finding;
  return text;
}

CheckReport Check(const Bytes& input, const std::function<void(MemoryFileSystem&)>& afterRun = {}) {
  return CheckFuzzInput(input.data(), input.size(), afterRun);
}

TEST(FuzzRegressions, EveryKeptInputPassesTheCheck) {
  std::vector<std::filesystem::path> kept;
  for (const auto& entry : std::filesystem::directory_iterator(MORVANE_FUZZ_CORPUS))
    if (entry.is_regular_file()) kept.push_back(entry.path());
  std::sort(kept.begin(), kept.end());
  ASSERT_FALSE(kept.empty()) << "no inputs in " << MORVANE_FUZZ_CORPUS;
  for (const std::filesystem::path& path : kept) {
    const Bytes input = test::ReadFileBytes(path);
    const CheckReport report = Check(input);
    EXPECT_TRUE(report.Findings.empty()) << path.filename() << Joined(report.Findings);
  }
}

TEST(FuzzSeeds, ConvertWithTheirOwnModeAndPassTheCheckInEveryMode) {
  for (const SeedInput& seed : SeedInputs()) {
    SCOPED_TRACE(seed.Name);
    const CheckReport own = Check(seed.Input);
    EXPECT_EQ(own.Result, Outcome::Converted) << own.Message;
    EXPECT_TRUE(own.Findings.empty()) << Joined(own.Findings);
    for (unsigned mode = 0; mode < kModeCount; ++mode) {
      Bytes input = seed.Input;
      const bool lambert = mode == IndexOf(Mode::LambertToGeographic) || mode == IndexOf(Mode::GeographicToLambert);
      const unsigned region = lambert ? kMainlandRegion : kTaiwanRegion;  // the Lambert grid is the mainland's
      input[0] = static_cast<unsigned char>((input[0] & 0xC0) | (region << 4) | mode);
      const CheckReport report = Check(input);
      EXPECT_TRUE(report.Findings.empty()) << "mode " << mode << Joined(report.Findings);
    }
  }
}

TEST(FuzzCheck, NoticesOutputsAndInputsThatAreNotAsTheyMustBe) {
  struct Case {
    const char* Name;
    bool Damaged;  // run on a main file cut inside its last record
    std::function<void(MemoryFileSystem&)> Spoil;
    std::string Finding;
  };
  auto changeByte = [](const std::string& path, std::size_t at) {
    return [path, at](MemoryFileSystem& files) {
      Bytes bytes = files.Contents().at(path);
      bytes.at(at) ^= 0x01;
      files.Put(path, bytes);
    };
  };
  const std::vector<Case> cases = {
      {"record header of the output", false, changeByte("in/f_1.shp", 100), "in/f_1.shp is not the expected conversion"},
      {"index entry of the output", false, changeByte("in/f_1.shx", 60), "in/f_1.shx is not the expected conversion"},
      {"table copy", false, changeByte("in/f_1.dbf", 0), "in/f_1.dbf is not a copy of the table"},
      {"input main file", false, changeByte("in/f.shp", 120), "input in/f.shp changed"},
      {"temporary left", false, [](MemoryFileSystem& files) { files.Put("in/.f_1.shp.morvane-tmp-1-0", {}); },
       "temporary in/.f_1.shp.morvane-tmp-1-0 left"},
      {"output after a failure", true, [](MemoryFileSystem& files) { files.Put("in/f_1.shp", {1}); },
       "output in/f_1.shp written although the conversion failed"},
  };
  const SeedInput seed = SeedInputs().front();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    Bytes input = seed.Input;
    if (c.Damaged) input.resize(input.size() - 3);
    const CheckReport clean = Check(input);
    ASSERT_TRUE(clean.Findings.empty()) << Joined(clean.Findings);
    ASSERT_EQ(clean.Result, c.Damaged ? Outcome::Damaged : Outcome::Converted) << clean.Message;
    const CheckReport spoilt = Check(input, c.Spoil);
    EXPECT_NE(std::find(spoilt.Findings.begin(), spoilt.Findings.end(), c.Finding), spoilt.Findings.end())
        << Joined(spoilt.Findings);
  }
}

}  // namespace
}  // namespace morvane::fuzz
