#pragma once
#include <cstdint>
#include <string_view>

// Bounded searches for a short byte pattern in raw file bytes. A match must
// lie wholly inside the first `bound` bytes of data; NUL bytes in data do not
// end the search. Result: the first (lowest) match, or nullptr.
const unsigned char* findBytes(const unsigned char* data, std::string_view pattern,
                               std::int32_t bound);
// The same with ASCII letters a-z folded to A-Z on both sides; bytes from
// 0x80 up compare only with themselves.
const unsigned char* findBytesNoCase(const unsigned char* data, std::string_view pattern,
                                     std::int32_t bound);
