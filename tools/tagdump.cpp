// Prints the tag that our reader finds in each MP3 file given.
//   liedkorb-tagdump FILE...
#include <cstdio>

#include "common/state.h"
#include "tags/tag_reader.h"

int main(int argc, char** argv) {
  if (!allocateWorkBuffer()) {
    std::fprintf(stderr, "zu wenig Speicher!\n");
    return 1;
  }
  for (int i = 1; i < argc; ++i) {
    bool found = readTag(argv[i]);
    std::printf("%s\n", argv[i]);
    if (!found) {
      std::printf("  (kein ID3-Tag)\n");
      continue;
    }
    std::printf("  K\xC3\xBCnstler: %s\n  Album:    %s\n  Titel:    %s\n  Jahr:     %s\n  Genre:    %s\n",
                tagInfo.artist.c_str(), tagInfo.album.c_str(), tagInfo.title.c_str(), tagInfo.year.c_str(),
                tagInfo.genre.c_str());
  }
  return 0;
}
