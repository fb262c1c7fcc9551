#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "dupes/checksum.h"

namespace {

constexpr Crc32Path allPaths[] = {Crc32Path::portable, Crc32Path::pclmul, Crc32Path::vpclmul256,
                                  Crc32Path::vpclmul512};

std::string pathName(Crc32Path path) {
  switch (path) {
    case Crc32Path::portable: return "portable";
    case Crc32Path::pclmul: return "pclmul";
    case Crc32Path::vpclmul256: return "vpclmul256";
    case Crc32Path::vpclmul512: return "vpclmul512";
  }
  return "?";
}

std::vector<unsigned char> randomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<unsigned char> bytes(size);
  for (auto& b : bytes) b = static_cast<unsigned char>(random());
  return bytes;
}

TEST(Crc32, KnownValuesOnEveryPath) {
  const std::string digits = "123456789";
  // 32 zero bytes and 32 0xFF bytes reach the fold loops of the 128-bit path.
  const std::vector<unsigned char> zeros(32, 0x00), ones(32, 0xFF);
  for (Crc32Path path : allPaths) {
    EXPECT_EQ(crc32With(path, 0, digits.data(), digits.size()), 0xCBF43926u) << pathName(path);
    EXPECT_EQ(crc32With(path, 0, zeros.data(), zeros.size()), 0x190A55ADu) << pathName(path);
    EXPECT_EQ(crc32With(path, 0, ones.data(), ones.size()), 0xFF6CAB0Bu) << pathName(path);
  }
  EXPECT_EQ(crc32Update(0, digits.data(), digits.size()), 0xCBF43926u);
  EXPECT_EQ(crc32Update(0, nullptr, 0), 0u);
}

TEST(Crc32, FastPathsMatchTheTablesAtEveryLengthAndAlignment) {
  constexpr std::size_t maxLength = 3u << 20;
  const std::vector<unsigned char> data = randomBytes(maxLength, 7);

  // Lengths around every block size the fold loops switch at, plus random
  // ones up to a few MiB.
  std::vector<std::size_t> lengths;
  for (std::size_t edge : {0u, 16u, 32u, 64u, 128u, 256u, 512u, 1024u}) {
    for (std::size_t delta = 0; delta < 18; ++delta) {
      lengths.push_back(edge + delta);
      if (edge > delta) lengths.push_back(edge - delta);
    }
  }
  std::mt19937 random(11);
  for (int i = 0; i < 60; ++i) lengths.push_back(random() % 4096);
  for (int i = 0; i < 12; ++i) lengths.push_back(random() % maxLength);
  lengths.push_back(maxLength);
  std::sort(lengths.begin(), lengths.end());
  lengths.erase(std::unique(lengths.begin(), lengths.end()), lengths.end());

  // The reference CRC of every prefix, built incrementally with the tables.
  std::vector<std::uint32_t> expected;
  std::uint32_t running = 0;
  std::size_t done = 0;
  for (std::size_t length : lengths) {
    running = crc32Portable(running, data.data() + done, length - done);
    done = length;
    expected.push_back(running);
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
        ASSERT_EQ(crc32With(path, 0, base + offset, lengths[i]), expected[i])
            << pathName(path) << " length " << lengths[i] << " offset " << offset;
      }
    }
  }
}

TEST(Crc32, ChunksFedOneAfterAnotherGiveTheWholeCrc) {
  const std::vector<unsigned char> data = randomBytes(300000, 3);
  const std::uint32_t whole = crc32Portable(0, data.data(), data.size());
  std::mt19937 random(5);
  for (int round = 0; round < 20; ++round) {
    std::uint32_t crc = 0;
    std::size_t pos = 0;
    while (pos < data.size()) {
      std::size_t piece = std::min<std::size_t>(data.size() - pos, random() % 70000);
      crc = crc32Update(crc, data.data() + pos, piece);
      pos += piece;
    }
    EXPECT_EQ(crc, whole);
  }
}

}  // namespace
