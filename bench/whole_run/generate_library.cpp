// A library for the whole-run benchmark: 2000 files of about 300 KB, 200
// artists with two albums each, a tenth without a tag. Deterministic.
//   bench-generate-library FOLDER [FILES]
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/paths.h"
#include "platform/platform.h"
#include "tools/id3_writer.h"

namespace {

// Audio a decoder accepts: MPEG-1 Layer III frames of 128 kbit/s at 44.1 kHz
// (417 bytes each), so that other tools timed on the same library take the
// files for music. The frame bodies are filler.
std::string mpegAudio(std::size_t size, std::uint32_t seed) {
  std::string out = id3::audio(size, seed);
  constexpr std::size_t frameSize = 417;
  for (std::size_t pos = 0; pos + 36 <= out.size(); pos += frameSize) {
    out.replace(pos, 4, "\xFF\xFB\x90\x64", 4);
    out.replace(pos + 4, 32, 32, '\0');  // empty side information
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench-generate-library FOLDER [FILES]\n");
    return 2;
  }
  std::string root = argv[1];
  int files = argc > 2 ? std::atoi(argv[2]) : 2000;
  if (!platform::isFolder(root) && !platform::makeFolder(root)) return 1;
  static const char* const genres[] = {"Rock", "Pop", "Jazz", "Klassik", "Metal", "Folk", "Blues", "Techno"};
  std::uint32_t seed = 12345;
  auto next = [&] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  for (int i = 0; i < files; ++i) {
    int artist = i % 200;
    int album = (i / 200) % 2;
    std::size_t size = 280000 + next() % 40000;
    std::string bytes;
    if (i % 10 == 9) {
      bytes = mpegAudio(size, next());
    } else {
      auto text = [](const char* id, const std::string& value) {
        return id3::frame(3, id, id3::textBody(id3::Encoding::latin1, value, true));
      };
      std::string tag = id3::tag(3,
                                 {text("TPE1", "Artist " + std::to_string(artist)),
                                  text("TALB", "Album " + std::to_string(artist) + "-" + std::to_string(album)),
                                  text("TIT2", "Title " + std::to_string(i)), text("TYER", "2001"),
                                  text("TCON", genres[artist % 8])},
                                 512);
      bytes = tag + mpegAudio(size > tag.size() ? size - tag.size() : 0, next());
    }
    platform::File out;
    std::string path = joinPath(root, "track" + std::to_string(i) + ".mp3");
    if (!out.createNew(path) || !out.write(bytes.data(), bytes.size())) {
      std::fprintf(stderr, "cannot write %s\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
