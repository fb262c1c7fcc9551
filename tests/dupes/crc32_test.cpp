#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

#include "dupes/checksum.h"

namespace {

constexpr Crc32Path allPaths[] = {Crc32Path::portable, Crc32Path::pclmul, Crc32Path::vpclmul256,
                                  Crc32Path::vpclmul512};
constexpr const char* pathNames[] = {"portable", "pclmul", "vpclmul256", "vpclmul512"};

TEST(Crc32, KnownValuesOnEveryPath) {
  // 32 zero bytes and 32 0xFF bytes reach the fold loops of the 128-bit path.
  const std::vector<unsigned char> zeros(32, 0x00), ones(32, 0xFF);
  for (Crc32Path path : allPaths) {
    SCOPED_TRACE(pathNames[static_cast<int>(path)]);
    EXPECT_EQ(crc32With(path, 0, "123456789", 9), 0xCBF43926u);
    EXPECT_EQ(crc32With(path, 0, zeros.data(), zeros.size()), 0x190A55ADu);
    EXPECT_EQ(crc32With(path, 0, ones.data(), ones.size()), 0xFF6CAB0Bu);
  }
  EXPECT_EQ(crc32Update(0, "123456789", 9), 0xCBF43926u);
  EXPECT_EQ(crc32Update(0, nullptr, 0), 0u);
}

TEST(Crc32, FastPathsMatchTheTablesAtEveryLengthAndAlignment) {
  constexpr std::size_t maxLength = 3u << 20;
  std::mt19937 random(7);
  std::vector<unsigned char> data(maxLength);
  for (auto& b : data) b = static_cast<unsigned char>(random());

  // Lengths around every block size the fold loops switch at, plus random
  // ones up to a few MiB.
  std::vector<std::size_t> lengths{maxLength};
  for (std::size_t edge : {0u, 16u, 32u, 64u, 128u, 256u, 512u, 1024u}) {
    for (std::size_t delta = 0; delta < 18; ++delta) {
      lengths.insert(lengths.end(), {edge + delta, edge > delta ? edge - delta : 0});
    }
  }
  for (int i = 0; i < 72; ++i) lengths.push_back(random() % (i < 60 ? 4096 : maxLength));
  std::sort(lengths.begin(), lengths.end());
  lengths.erase(std::unique(lengths.begin(), lengths.end()), lengths.end());

  // The reference CRC of every prefix, built incrementally with the tables.
  std::vector<std::uint32_t> expected{crc32Portable(0, data.data(), lengths[0])};
  for (std::size_t i = 1; i < lengths.size(); ++i) {
    const std::size_t done = lengths[i - 1];
    expected.push_back(crc32Portable(expected.back(), &data[done], lengths[i] - done));
  }

  // The same bytes copied to every offset 0..63 from a 64-byte boundary.
  std::vector<unsigned char> shifted(maxLength + 128);
  unsigned char* base = shifted.data() + (64 - reinterpret_cast<std::uintptr_t>(shifted.data()) % 64);
  for (Crc32Path path : allPaths) {
    if (path == Crc32Path::portable || !crc32PathAvailable(path)) continue;
    for (std::size_t offset = 0; offset < 64; ++offset) {
      std::copy(data.begin(), data.end(), base + offset);
      for (std::size_t i = 0; i < lengths.size(); ++i) {
        // One long input per offset, a different one each time: the start
        // alignment is what differs between offsets.
        if (lengths[i] > 4096 && i % 13 != offset % 13) continue;
        // Whole, and continued from the CRC of the shorter prefix as the
        // chunks of a file are.
        const std::size_t done = i ? lengths[i - 1] : 0;
        const std::uint32_t whole = crc32With(path, 0, base + offset, lengths[i]);
        const std::uint32_t continued =
            crc32With(path, i ? expected[i - 1] : 0, base + offset + done, lengths[i] - done);
        ASSERT_EQ(std::pair(whole, continued), std::pair(expected[i], expected[i]))
            << pathNames[static_cast<int>(path)] << " length " << lengths[i] << " offset " << offset;
      }
    }
  }
}

}  // namespace
