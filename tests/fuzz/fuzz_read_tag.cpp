// Feeds arbitrary bytes to the tag reader as the content of a song file.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/state.h"
#include "tags/tag_reader.h"

namespace {

namespace fs = std::filesystem;

fs::path song;

void removeSong() {
  std::error_code ec;
  fs::remove(song, ec);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  song = fs::temp_directory_path() / ("liedkorb-fuzz-tag-" + std::to_string(::getpid()) + ".mp3");
  std::atexit(removeSong);
  allocateWorkBuffer();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  {
    std::ofstream out(song, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  readTag(song.string());
  return 0;
}
