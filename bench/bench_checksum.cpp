// The checksum against zlib's crc32 and against a plain read of the same
// cached file, and the duplicate check with a full table against a nearly
// empty one. Prints medians and ratios; absolute numbers vary with the
// machine and its load.
//   bench_checksum [MiB]   (the test file's size, 256 by default)

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <utility>
#include <string>
#include <vector>

#include "common/limits.h"
#include "common/state.h"
#include "dupes/checksum.h"
#include "dupes/duplicate_table.h"
#include "platform/platform.h"

namespace {

namespace fs = std::filesystem;

constexpr int repetitions = 7;

double secondsOf(const std::function<void()>& work) {
  auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

const char* verdict(bool met) { return met ? "met" : "MISSED"; }

// A folder of its own under the system's temporary folder, removed at the end.
struct TempFolder {
  fs::path path;
  TempFolder() {
    std::random_device seed;
    path = fs::temp_directory_path() / ("liedkorb-bench-" + std::to_string(seed()));
    fs::create_directories(path);
  }
  ~TempFolder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  std::string file(const std::string& name) const { return (path / name).string(); }
};

void fillRandom(std::vector<unsigned char>& bytes, std::uint64_t state) {
  for (std::size_t i = 0; i < bytes.size(); i += 8) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    for (std::size_t k = 0; k < 8 && i + k < bytes.size(); ++k) {
      bytes[i + k] = static_cast<unsigned char>(state >> (8 * k));
    }
  }
}

bool writeWhole(const std::string& path, const std::vector<unsigned char>& bytes) {
  platform::File file;
  return file.createNew(path) && file.write(bytes.data(), bytes.size());
}

// Reads the file in checksum-sized chunks, handing each chunk to consume.
std::uint64_t readChunks(const std::string& path, const std::function<void(const unsigned char*, std::size_t)>& consume) {
  platform::File file;
  if (!file.openRead(path)) return 0;
  std::uint64_t total = 0;
  for (;;) {
    std::int64_t got = file.read(checksumBuffer.get(), checksumChunkSize);
    if (got <= 0) break;
    consume(checksumBuffer.get(), static_cast<std::size_t>(got));
    total += static_cast<std::uint64_t>(got);
  }
  return total;
}

const char* pathName(Crc32Path path) {
  switch (path) {
    case Crc32Path::portable: return "portable tables";
    case Crc32Path::pclmul: return "PCLMULQDQ 128-bit";
    case Crc32Path::vpclmul256: return "VPCLMULQDQ 256-bit";
    case Crc32Path::vpclmul512: return "VPCLMULQDQ 512-bit";
  }
  return "?";
}

void benchChecksum(const TempFolder& temp, std::size_t size) {
  std::vector<unsigned char> bytes(size);
  fillRandom(bytes, 0x9E3779B97F4A7C15u);
  const std::string big = temp.file("big.bin");
  if (!writeWhole(big, bytes)) {
    std::printf("cannot write the test file\n");
    return;
  }
  volatile std::uint32_t sink = 0;
  readChunks(big, [](const unsigned char*, std::size_t) {});  // into the cache

  const double gb = static_cast<double>(size) / 1e9;
  using Update = std::function<std::uint32_t(std::uint32_t, const unsigned char*, std::size_t)>;
  // Streaming: the 256 MiB run through chunk by chunk, from memory. Cached:
  // one chunk, already in the cache, as fileChecksum sees it after a read.
  auto rates = [&](const Update& update) {
    std::vector<double> streaming, cached;
    for (int r = 0; r < repetitions; ++r) {
      streaming.push_back(secondsOf([&] {
        std::uint32_t crc = 0;
        for (std::size_t at = 0; at < size; at += checksumChunkSize) {
          crc = update(crc, bytes.data() + at, std::min(checksumChunkSize, size - at));
        }
        sink = crc;
      }));
      cached.push_back(secondsOf([&] {
        std::uint32_t crc = 0;
        for (std::size_t at = 0; at < size; at += checksumChunkSize) {
          crc = update(crc, bytes.data(), std::min(checksumChunkSize, size - at));
        }
        sink = crc;
      }));
    }
    return std::pair<double, double>{gb / median(streaming), gb / median(cached)};
  };
  std::printf("CRC-32 over %zu MiB in %zu KiB chunks, GB/s (median of %d):\n", size >> 20,
              checksumChunkSize >> 10, repetitions);
  std::printf("  %-26s %10s %10s\n", "", "streaming", "in cache");
  const auto zlib = rates([](std::uint32_t crc, const unsigned char* p, std::size_t n) {
    return static_cast<std::uint32_t>(crc32(crc, p, static_cast<uInt>(n)));
  });
  std::printf("  %-26s %10.2f %10.2f\n", "zlib crc32", zlib.first, zlib.second);
  for (Crc32Path path : {Crc32Path::portable, Crc32Path::pclmul, Crc32Path::vpclmul256, Crc32Path::vpclmul512}) {
    if (!crc32PathAvailable(path)) {
      std::printf("  %-26s  (not on this processor)\n", pathName(path));
      continue;
    }
    const auto r = rates([path](std::uint32_t crc, const unsigned char* p, std::size_t n) {
      return crc32With(path, crc, p, n);
    });
    std::printf("  %-26s %10.2f %10.2f   %5.2fx / %5.2fx zlib\n", pathName(path), r.first, r.second,
                r.first / zlib.first, r.second / zlib.second);
  }
  const auto chosen = rates([](std::uint32_t crc, const unsigned char* p, std::size_t n) {
    return crc32Update(crc, p, n);
  });
  const double ratio = std::min(chosen.first / zlib.first, chosen.second / zlib.second);
  std::printf("  %-26s %10.2f %10.2f   %5.2fx / %5.2fx zlib\n", "crc32Update (chosen)", chosen.first,
              chosen.second, chosen.first / zlib.first, chosen.second / zlib.second);
  std::printf("  target >= 3x zlib with carry-less multiply: %s\n",
              crc32HasFastPath() ? verdict(ratio >= 3.0) : "no carry-less multiply here");

  std::printf("Whole cached file (median of %d):\n", repetitions);
  std::vector<double> readTimes, checksumTimes, zlibFileTimes;
  std::uint32_t ours = 0;
  uLong theirs = 0;
  for (int r = 0; r < repetitions; ++r) {
    readTimes.push_back(secondsOf([&] { readChunks(big, [](const unsigned char*, std::size_t) {}); }));
    checksumTimes.push_back(secondsOf([&] { fileChecksum(big, ours); }));
    zlibFileTimes.push_back(secondsOf([&] {
      theirs = crc32(0, nullptr, 0);
      readChunks(big, [&](const unsigned char* p, std::size_t n) { theirs = crc32(theirs, p, static_cast<uInt>(n)); });
    }));
  }
  const double readRate = gb / median(readTimes);
  const double checksumRate = gb / median(checksumTimes);
  const double zlibFileRate = gb / median(zlibFileTimes);
  std::printf("  plain read                 %7.2f GB/s\n", readRate);
  std::printf("  fileChecksum               %7.2f GB/s  %5.2f of the plain read   target >= 0.8: %s\n",
              checksumRate, checksumRate / readRate, verdict(checksumRate / readRate >= 0.8));
  std::printf("  read + zlib crc32          %7.2f GB/s  %5.2f of the plain read\n", zlibFileRate,
              zlibFileRate / readRate);
  std::printf("  results %s (%08X)\n", ours == static_cast<std::uint32_t>(theirs) ? "agree" : "DIFFER",
              static_cast<unsigned>(ours));
  (void)platform::deleteFile(big);
}

void fillTable(std::uint32_t count, std::mt19937& random) {
  for (std::uint32_t n = 0; n < count; ++n) {
    // Sizes above the test files' size, so that every check misses.
    duplicateTable.storage[n] = {static_cast<std::uint32_t>(random() % 10000000 + 100000),
                                 static_cast<std::uint32_t>(random())};
  }
  duplicateTable.count = count;
  rebuildDuplicateIndex();
}

void benchDuplicateCheck(const TempFolder& temp) {
  if (!allocateDuplicateStorage()) return;
  settings.crc = 1;
  std::vector<std::string> files;
  std::vector<unsigned char> content(4096);
  for (int i = 0; i < 64; ++i) {
    fillRandom(content, 1000u + static_cast<unsigned>(i));
    files.push_back(temp.file("small" + std::to_string(i) + ".mp3"));
    writeWhole(files.back(), content);
  }
  constexpr int checksPerRound = 4000;
  constexpr int lookupsPerRound = 1000000;
  std::mt19937 random(1);
  std::vector<std::uint32_t> keys(2 * lookupsPerRound);
  for (auto& k : keys) k = static_cast<std::uint32_t>(random());

  std::vector<double> checkTimes[2], lookupTimes[2];
  const std::uint32_t sizes[2] = {10, duplicateCapacity};
  volatile int found = 0;
  for (int r = 0; r < repetitions; ++r) {
    for (int t = 0; t < 2; ++t) {
      fillTable(sizes[t], random);
      checkTimes[t].push_back(secondsOf([&] {
        for (int i = 0; i < checksPerRound; ++i) found = found + checkDuplicate(files[i % files.size()]).has_value();
      }) / checksPerRound);
      lookupTimes[t].push_back(secondsOf([&] {
        for (int i = 0; i < lookupsPerRound; ++i) found = found + containsDuplicatePair(keys[2 * i], keys[2 * i + 1]);
      }) / lookupsPerRound);
    }
  }
  // What the plain linear scan over every entry would cost for one lookup.
  const double scanTime = secondsOf([&] {
    for (int i = 0; i < 200; ++i) {
      const DuplicateEntry* begin = duplicateTable.storage.get();
      found = found + std::any_of(begin, begin + duplicateTable.count, [&](const DuplicateEntry& e) {
                return e.size == keys[2 * i] && e.checksum == keys[2 * i + 1];
              });
    }
  }) / 200;

  const double check10 = median(checkTimes[0]), checkFull = median(checkTimes[1]);
  const double lookup10 = median(lookupTimes[0]), lookupFull = median(lookupTimes[1]);
  std::printf("Duplicate check of a 4 KiB file, %d checks per round (median of %d):\n", checksPerRound,
              repetitions);
  std::printf("  10 entries                 %8.2f us per check\n", check10 * 1e6);
  std::printf("  %u entries             %8.2f us per check  %5.2fx   target <= 1.5x: %s\n", duplicateCapacity,
              checkFull * 1e6, checkFull / check10, verdict(checkFull / check10 <= 1.5));
  std::printf("Lookup alone, random pairs (median of %d):\n", repetitions);
  std::printf("  10 entries                 %8.1f ns per lookup\n", lookup10 * 1e9);
  std::printf("  %u entries             %8.1f ns per lookup  %5.2fx (memory, not probes)\n", duplicateCapacity,
              lookupFull * 1e9, lookupFull / lookup10);
  std::printf("  linear scan of %u       %8.1f ns per lookup\n", duplicateCapacity, scanTime * 1e9);
  freeDuplicateStorage();
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t mib = 256;
  if (argc > 1) mib = std::strtoul(argv[1], nullptr, 10);
  if (mib == 0) mib = 256;
  if (!allocateChecksumBuffer()) return 1;
  TempFolder temp;
  std::printf("CRC-32 path chosen: %s\n", crc32HasFastPath() ? "carry-less multiply" : "portable tables");
  benchChecksum(temp, mib << 20);
  benchDuplicateCheck(temp);
  return 0;
}
