// The converted files of a fixed set of inputs, byte for byte: every mode in every region
// converts a generated Polygon shapefile, and the main file and the index it writes must hash
// to the values recorded here. The engine's speed work may change how a result is reached but
// never a bit of it; a change of any coordinate or box in any of these files shows here.
//
// The inputs are built without the engine (fixed pseudo-random points in each mode's source
// system and a few points on the central meridians and the equator), so a change to the
// engine cannot move its own test data. The hashes were recorded with the engine as it was
// before the speed work; a row that fails prints the hashes it found.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "golden_inputs.hpp"
#include "shapefile/conversion_run.hpp"
#include "support/file_bytes.hpp"
#include "support/run_feedback.hpp"
#include "support/shapefile_writer.hpp"

namespace morvane::test {
namespace {

// FNV-1a, 64 bits: stable across platforms and runs.
std::uint64_t Fnv1a(const Bytes& bytes) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (unsigned char byte : bytes) {
    hash ^= byte;
    hash *= 0x100000001b3u;
  }
  return hash;
}

struct GoldenCase {
  TransformMode Mode;
  morvane::Region Region;
  std::uint64_t Main;   // FNV-1a of name_1.shp
  std::uint64_t Index;  // FNV-1a of name_1.shx
};

// The threads that convert the records, and blocks small enough that the 81 records of a
// golden file make many blocks (860 bytes a polygon): the outputs must not depend on either.
const ConversionThreads kThreadings[] = {
    {1, kRecordBlockBytes},
    {2, 4096},
    {7, 1000},
};

std::string CaseName(const testing::TestParamInfo<std::tuple<GoldenCase, ConversionThreads>>& info) {
  const auto& [c, threads] = info.param;
  // The mode and the region as users number them.
  return "Mode" + std::to_string(c.Mode + 1) + "Region" + std::to_string(c.Region + 1) + "Threads" +
         std::to_string(threads.Count);
}

class GoldenOutputs : public testing::TestWithParam<std::tuple<GoldenCase, ConversionThreads>> {};

TEST_P(GoldenOutputs, ConvertedFilesAreByteIdenticalToTheRecordedOnes) {
  const auto& [c, threads] = GetParam();
  TempFolder folder;
  WriteShapefile(folder, "golden", GoldenInput(c.Mode));
  RecordingFeedback feedback;
  EngineState engine(feedback);
  ApplyTransformSettings(engine, c.Mode, c.Region);
  LocalFileSystem files;
  ShapefileStats stats;
  ASSERT_EQ(ConvertShapefile(engine, folder.Path(), "golden.shp", c.Mode, feedback, files, &stats, threads),
            ShapefileOutcome::Converted);
  EXPECT_EQ(stats.Vertices, std::uint64_t{kPolygons} * kVerticesPerPolygon);
  EXPECT_TRUE(feedback.Messages.empty());
  const std::uint64_t main = Fnv1a(ReadFileBytes(folder / "golden_1.shp"));
  const std::uint64_t index = Fnv1a(ReadFileBytes(folder / "golden_1.shx"));
  char found[96];
  std::snprintf(found, sizeof found, "found {%u, %d, 0x%016" PRIx64 "u, 0x%016" PRIx64 "u}", c.Mode,
                c.Region, main, index);
  EXPECT_EQ(main, c.Main) << found;
  EXPECT_EQ(index, c.Index) << found;
}

const GoldenCase kGoldenCases[] = {
    {0, 0, 0x41a58d00394c339bu, 0x6587837b7790ca8cu},
    {0, 1, 0xd0c66bc84e3e926cu, 0xee913abcd349d28cu},
    {0, 2, 0x41a58d00394c339bu, 0x6587837b7790ca8cu},
    {1, 0, 0xca107bf93b1e52e6u, 0xe678a08760c9bfcfu},
    {1, 1, 0x9ce26a39a810dd78u, 0x884f99c3fa6263ffu},
    {1, 2, 0xca107bf93b1e52e6u, 0xe678a08760c9bfcfu},
    {2, 0, 0x42ee786610dfc541u, 0x7cbe035e1e97bd17u},
    {2, 1, 0xd6753b7cf9306dcau, 0x4ae642255f051b70u},
    {2, 2, 0x42ee786610dfc541u, 0x7cbe035e1e97bd17u},
    {3, 0, 0xf0c5dd978d215846u, 0x807d91e38d84f1b2u},
    {3, 1, 0x1c54c13dbd6d5ff9u, 0xb5396d522feab388u},
    {3, 2, 0xf0c5dd978d215846u, 0x807d91e38d84f1b2u},
    {4, 0, 0x76a0278785385d93u, 0xd91376d6574b3b09u},
    {4, 1, 0x0e9dad756350f330u, 0x8fffa5af2b0969c9u},
    {4, 2, 0xc3b019f32d05ab4cu, 0xcc4675294e356c09u},
    {5, 0, 0x2080472620f78f0bu, 0x590c2cd2f060542bu},
    {5, 1, 0xf25964bd44fd1dcfu, 0x73a064002c1efa01u},
    {5, 2, 0x9b97f08cbf022f7au, 0x0af202bb7ecf39d2u},
    // The Lambert modes convert on the mainland grid in every region.
    {6, 0, 0x0e2bd5afd88e170au, 0x17f038ef2ad00442u},
    {6, 1, 0x0e2bd5afd88e170au, 0x17f038ef2ad00442u},
    {6, 2, 0x0e2bd5afd88e170au, 0x17f038ef2ad00442u},
    {7, 0, 0x892f0d548a39e4b2u, 0x3aadc4fc76adcb2au},
    {7, 1, 0x892f0d548a39e4b2u, 0x3aadc4fc76adcb2au},
    {7, 2, 0x892f0d548a39e4b2u, 0x3aadc4fc76adcb2au},
    {8, 0, 0x7f838534d1155b39u, 0x3e2d89929d15e49cu},
    {8, 1, 0x7f838534d1155b39u, 0x3e2d89929d15e49cu},
    {8, 2, 0x7f838534d1155b39u, 0x3e2d89929d15e49cu},
    {9, 0, 0xde315bee1508d012u, 0x15ada5ebe6839e7fu},
    {9, 1, 0xde315bee1508d012u, 0x15ada5ebe6839e7fu},
    {9, 2, 0xde315bee1508d012u, 0x15ada5ebe6839e7fu},
    {10, 0, 0xfb1a5e42862470feu, 0xece1e4071f87b813u},
    {10, 1, 0x674616a8ada20034u, 0x25a22df9bf76860cu},
    {10, 2, 0xfb1a5e42862470feu, 0xece1e4071f87b813u},
    {11, 0, 0x45a8a60665de3f8bu, 0x786b18769572fb3au},
    {11, 1, 0x08db4647f9037fe7u, 0x1916a950a2f04923u},
    {11, 2, 0x45a8a60665de3f8bu, 0x786b18769572fb3au},
    {12, 0, 0x3666a9f1f6745c3au, 0x757c7b6d42c7c537u},
    {12, 1, 0x33aedd680ff634a2u, 0xb99902fd872cdf37u},
    {12, 2, 0x3666a9f1f6745c3au, 0x757c7b6d42c7c537u},
    {13, 0, 0x970c4df9ab603bd4u, 0x338ce6bacf757796u},
    {13, 1, 0x0b43852fc2ddd628u, 0x28f5c8ec515de13bu},
    {13, 2, 0x970c4df9ab603bd4u, 0x338ce6bacf757796u},
    {14, 0, 0xb8606366661ceeaau, 0xb1701053eb4b0ddfu},
    {14, 1, 0xb8606366661ceeaau, 0xb1701053eb4b0ddfu},
    {14, 2, 0xb8606366661ceeaau, 0xb1701053eb4b0ddfu},
    {15, 0, 0x0a371a238c9df535u, 0x655fb074f92abfd9u},
    {15, 1, 0x0a371a238c9df535u, 0x655fb074f92abfd9u},
    {15, 2, 0x0a371a238c9df535u, 0x655fb074f92abfd9u},
};

INSTANTIATE_TEST_SUITE_P(EveryModeAndRegion, GoldenOutputs,
                         testing::Combine(testing::ValuesIn(kGoldenCases), testing::ValuesIn(kThreadings)),
                         CaseName);

}  // namespace
}  // namespace morvane::test
