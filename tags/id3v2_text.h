#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Size of an ID3v2 frame's content from the four size bytes of its header:
// syncsafe (7 bits a byte) in version 2.4 tags, plain big-endian before.
std::uint32_t frameContentSize(const unsigned char* sizeBytes, int majorVersion);

// The text of an ID3v2 text frame's content (encoding byte first) as UTF-8:
// the first value only, full stops left out, at most tagFieldMax bytes.
std::string decodeTextFrame(std::string_view content);
