// Feeds arbitrary bytes to the picture extraction as the copy of a song,
// with the cover folder lookup pointed at an empty folder.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/state.h"
#include "covers/cover_export.h"

namespace {

namespace fs = std::filesystem;

fs::path folder;

void removeFolder() {
  std::error_code ec;
  fs::remove_all(folder, ec);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  folder = fs::temp_directory_path() / ("liedkorb-fuzz-cover-" + std::to_string(::getpid()));
  fs::create_directories(folder / "covers");
  std::atexit(removeFolder);
  allocateWorkBuffer();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fs::path target = folder / "Song.MP3";
  {
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  settings.coverPfad = (folder / "covers").string();
  scanRunning = 1;
  exportCover((folder / "in" / "Song.mp3").string(), target.string());
  std::error_code ec;
  fs::remove(folder / "Song.JPG", ec);
  fs::remove(folder / "Song.PNG", ec);
  return 0;
}
