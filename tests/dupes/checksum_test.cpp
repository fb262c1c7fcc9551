#include <gtest/gtest.h>

#include <random>
#include <string>

#include "common/limits.h"
#include "platform/faults.h"
#include "tests/dupes/dupes_fixture.h"

namespace {

using platform::faults::Op;

class FileChecksumTest : public DupesTest {};

std::string randomContent(std::size_t size) {
  std::mt19937 random(static_cast<unsigned>(size));
  std::string s(size, '\0');
  for (char& c : s) c = static_cast<char>(random());
  return s;
}

TEST_F(FileChecksumTest, SizesAroundTheChunk) {
  std::uint32_t crc = 0;
  ASSERT_TRUE(fileChecksum(file("digits", "123456789"), crc));
  EXPECT_EQ(crc, 0xCBF43926u);
  for (std::size_t size : {std::size_t{0}, std::size_t{1}, checksumChunkSize - 1, checksumChunkSize,
                           checksumChunkSize + 1, 3 * checksumChunkSize + 5}) {
    const std::string content = randomContent(size);
    const std::string p = file("f" + std::to_string(size), content);
    lastByteCount = 77;
    platform::faults::reset();
    ASSERT_TRUE(fileChecksum(p, crc)) << size;
    EXPECT_EQ(crc, crc32Portable(0, content.data(), content.size())) << size;
    EXPECT_EQ(lastByteCount, size);
    // Whole chunks, a partial one if any, then the read that finds the end.
    const std::size_t reads = (size + checksumChunkSize - 1) / checksumChunkSize + 1;
    EXPECT_EQ(platform::faults::callCount(Op::read), static_cast<int>(reads)) << size;
  }
}

TEST_F(FileChecksumTest, ReadFailingPartWayGivesNoChecksum) {
  const std::string p = file("big", randomContent(3 * checksumChunkSize));
  for (int failingRead : {1, 2, 4}) {
    lastByteCount = 77;
    platform::faults::reset();
    platform::faults::failNth(Op::read, failingRead);
    std::uint32_t crc = 5;
    EXPECT_FALSE(fileChecksum(p, crc)) << failingRead;
    EXPECT_EQ(crc, 5u);
    EXPECT_EQ(lastByteCount, 77u);
  }
}

TEST_F(FileChecksumTest, NoChecksumWithoutAReadableFileOrABuffer) {
  const std::string locked = file("locked", "abc");
  platform::faults::failPath(Op::open, locked);
  makeFolders("folder");
  lastByteCount = 77;
  std::uint32_t crc = 0;
  for (const std::string& p : {locked, path("missing"), path("folder")}) {
    EXPECT_FALSE(fileChecksum(p, crc)) << p;
  }
  EXPECT_EQ(lastByteCount, 77u);

  platform::faults::reset();
  checksumBuffer.reset();
  EXPECT_FALSE(fileChecksum(file("a", "abc"), crc));
  EXPECT_EQ(platform::faults::callCount(Op::open), 0);
}

}  // namespace
