// CRC-32 by folding: the data is treated as one long polynomial and reduced
// 128 bits at a time with carry-less multiplication, each register folded
// forward over a fixed distance and added (XOR) to the data found there. Only
// the last 128 bits are reduced to 32 bits, with a Barrett reduction. The
// functions carry target attributes, so the file builds without -m flags and
// each path runs only where the processor reports the instructions.

#include "dupes/crc32_fold.h"

#include "dupes/checksum.h"

#if defined(__x86_64__) || defined(__i386__)

#include <immintrin.h>

// GCC for Windows cannot realign the stack for 32- and 64-byte vectors (the
// Win64 unwind rules keep it at 16), so spilled ymm/zmm registers would be
// stored misaligned; there only the 128-bit path is built.
#if defined(__MINGW32__) && !defined(__clang__)
#define LIEDKORB_CRC32_WIDE_VECTORS 0
#else
#define LIEDKORB_CRC32_WIDE_VECTORS 1
#endif

namespace crc32_fold {
namespace {

// x^n mod P(x) for the CRC-32 polynomial, bit-reflected and shifted left by
// one: the multiplier that moves reflected data forward by n - 32 or n + 32
// bits, depending on which half of the 128-bit lane it multiplies.
constexpr std::uint64_t foldConstant(unsigned n) {
  std::uint64_t r = 1;
  for (unsigned i = 0; i < n; ++i) {
    r <<= 1;
    if (r & (std::uint64_t{1} << 32)) r ^= 0x104C11DB7u;
  }
  std::uint64_t reflected = 0;
  for (int bit = 0; bit < 32; ++bit) {
    if (r & (std::uint64_t{1} << bit)) reflected |= std::uint64_t{1} << (31 - bit);
  }
  return reflected << 1;
}

// The well-known constants of the 128-bit and 512-bit folds; the asserts tie
// the formula to them, so the other distances can be trusted too.
static_assert(foldConstant(544) == 0x154442BD4u);
static_assert(foldConstant(480) == 0x1C6E41596u);
static_assert(foldConstant(160) == 0x1751997D0u);
static_assert(foldConstant(96) == 0x0CCAA009Eu);
static_assert(foldConstant(64) == 0x163CD6124u);

// Folding a 128-bit lane forward by d bits multiplies its low half by
// foldConstant(d + 32) and its high half by foldConstant(d - 32).
struct FoldPair {
  long long low;
  long long high;
};
constexpr FoldPair foldPair(unsigned distance) {
  return {static_cast<long long>(foldConstant(distance + 32)),
          static_cast<long long>(foldConstant(distance - 32))};
}
constexpr FoldPair fold128Bits = foldPair(128);
constexpr FoldPair fold256Bits = foldPair(256);
constexpr FoldPair fold384Bits = foldPair(384);
constexpr FoldPair fold512Bits = foldPair(512);
constexpr FoldPair fold1024Bits = foldPair(1024);
constexpr FoldPair fold2048Bits = foldPair(2048);
constexpr long long fold64To32 = static_cast<long long>(foldConstant(64));

// The reflected polynomial and the Barrett constant floor(x^64 / P(x)), reflected.
constexpr long long reflectedPoly = 0x1DB710641;
constexpr long long barrettMu = 0x1F7011641;

__attribute__((target("sse2"))) inline __m128i load128(const unsigned char* at) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

__attribute__((target("pclmul,sse4.1"))) inline __m128i fold128(__m128i x, __m128i k, __m128i data) {
  __m128i lo = _mm_clmulepi64_si128(x, k, 0x00);
  __m128i hi = _mm_clmulepi64_si128(x, k, 0x11);
  return _mm_xor_si128(_mm_xor_si128(lo, hi), data);
}

// Folds the remaining whole 16-byte blocks into x, then reduces the 128 bits
// to the 32-bit register.
__attribute__((target("pclmul,sse4.1"))) std::uint32_t finish128(__m128i x, const unsigned char* p,
                                                                 std::size_t blocks) {
  const __m128i k128 = _mm_set_epi64x(fold128Bits.high, fold128Bits.low);
  for (; blocks > 0; --blocks, p += 16) {
    x = fold128(x, k128, load128(p));
  }
  const __m128i low32 = _mm_setr_epi32(-1, 0, -1, 0);
  // 128 bits to 64: the low half moves forward by 64 bits onto the high half.
  __m128i t = _mm_clmulepi64_si128(x, k128, 0x10);
  x = _mm_xor_si128(_mm_srli_si128(x, 8), t);
  // 64 bits to 32.
  const __m128i k64 = _mm_set_epi64x(0, fold64To32);
  t = _mm_srli_si128(x, 4);
  x = _mm_clmulepi64_si128(_mm_and_si128(x, low32), k64, 0x00);
  x = _mm_xor_si128(x, t);
  // Barrett reduction: subtract (x * mu / x^64) * P.
  const __m128i barrett = _mm_set_epi64x(barrettMu, reflectedPoly);
  t = _mm_clmulepi64_si128(_mm_and_si128(x, low32), barrett, 0x10);
  t = _mm_clmulepi64_si128(_mm_and_si128(t, low32), barrett, 0x00);
  x = _mm_xor_si128(x, t);
  return static_cast<std::uint32_t>(_mm_extract_epi32(x, 1));
}

// reg is the inverted register; size >= 64, a multiple of 16.
__attribute__((target("pclmul,sse4.1"))) std::uint32_t foldPclmul(std::uint32_t reg, const unsigned char* p,
                                                                  std::size_t size) {
  __m128i x0 = _mm_xor_si128(load128(p), _mm_cvtsi32_si128(static_cast<int>(reg)));
  __m128i x1 = load128(p + 16);
  __m128i x2 = load128(p + 32);
  __m128i x3 = load128(p + 48);
  p += 64;
  size -= 64;
  // Four independent lanes hide the multiplier's latency.
  const __m128i k512 = _mm_set_epi64x(fold512Bits.high, fold512Bits.low);
  for (; size >= 64; size -= 64, p += 64) {
    x0 = fold128(x0, k512, load128(p));
    x1 = fold128(x1, k512, load128(p + 16));
    x2 = fold128(x2, k512, load128(p + 32));
    x3 = fold128(x3, k512, load128(p + 48));
  }
  const __m128i k128 = _mm_set_epi64x(fold128Bits.high, fold128Bits.low);
  x0 = fold128(x0, k128, x1);
  x0 = fold128(x0, k128, x2);
  x0 = fold128(x0, k128, x3);
  return finish128(x0, p, size / 16);
}

#if LIEDKORB_CRC32_WIDE_VECTORS

__attribute__((target("avx2"))) inline __m256i load256(const unsigned char* at) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
}

__attribute__((target("avx2,vpclmulqdq,pclmul,sse4.1"))) inline __m256i fold256(__m256i x, __m256i k,
                                                                                __m256i data) {
  __m256i lo = _mm256_clmulepi64_epi128(x, k, 0x00);
  __m256i hi = _mm256_clmulepi64_epi128(x, k, 0x11);
  return _mm256_xor_si256(_mm256_xor_si256(lo, hi), data);
}

// reg is the inverted register; size >= 128, a multiple of 16.
__attribute__((target("avx2,vpclmulqdq,pclmul,sse4.1"))) std::uint32_t foldVpclmul256(
    std::uint32_t reg, const unsigned char* p, std::size_t size) {
  const __m256i first = _mm256_setr_epi32(static_cast<int>(reg), 0, 0, 0, 0, 0, 0, 0);
  __m256i x0 = _mm256_xor_si256(load256(p), first);
  __m256i x1 = load256(p + 32);
  __m256i x2 = load256(p + 64);
  __m256i x3 = load256(p + 96);
  p += 128;
  size -= 128;
  const __m256i k1024 = _mm256_set_epi64x(fold1024Bits.high, fold1024Bits.low, fold1024Bits.high, fold1024Bits.low);
  for (; size >= 128; size -= 128, p += 128) {
    x0 = fold256(x0, k1024, load256(p));
    x1 = fold256(x1, k1024, load256(p + 32));
    x2 = fold256(x2, k1024, load256(p + 64));
    x3 = fold256(x3, k1024, load256(p + 96));
  }
  const __m256i k256 = _mm256_set_epi64x(fold256Bits.high, fold256Bits.low, fold256Bits.high, fold256Bits.low);
  x0 = fold256(x0, k256, x1);
  x0 = fold256(x0, k256, x2);
  x0 = fold256(x0, k256, x3);
  for (; size >= 32; size -= 32, p += 32) x0 = fold256(x0, k256, load256(p));
  // The lower lane moves forward by 128 bits onto the upper one.
  const __m128i k128 = _mm_set_epi64x(fold128Bits.high, fold128Bits.low);
  __m128i x = fold128(_mm256_castsi256_si128(x0), k128, _mm256_extracti128_si256(x0, 1));
  return finish128(x, p, size / 16);
}

__attribute__((target("avx512f"))) inline __m512i load512(const unsigned char* at) {
  return _mm512_loadu_si512(at);
}

__attribute__((target("avx512f"))) inline __m512i broadcast512(FoldPair k) {
  return _mm512_set_epi64(k.high, k.low, k.high, k.low, k.high, k.low, k.high, k.low);
}

// The zero-masking extract: the plain one trips a false "used uninitialized"
// warning in GCC 12's headers.
template <int lane>
__attribute__((target("avx512f"))) inline __m128i lane512(__m512i x) {
  return _mm512_maskz_extracti32x4_epi32(0xF, x, lane);
}

__attribute__((target("avx512f,vpclmulqdq,pclmul,sse4.1"))) inline __m512i fold512(__m512i x, __m512i k,
                                                                                   __m512i data) {
  __m512i lo = _mm512_clmulepi64_epi128(x, k, 0x00);
  __m512i hi = _mm512_clmulepi64_epi128(x, k, 0x11);
  return _mm512_ternarylogic_epi64(lo, hi, data, 0x96);  // lo ^ hi ^ data
}

// reg is the inverted register; size >= 256, a multiple of 16.
__attribute__((target("avx512f,vpclmulqdq,pclmul,sse4.1"))) std::uint32_t foldVpclmul512(
    std::uint32_t reg, const unsigned char* p, std::size_t size) {
  const __m512i first = _mm512_inserti32x4(_mm512_setzero_si512(),
                                           _mm_cvtsi32_si128(static_cast<int>(reg)), 0);
  __m512i x0 = _mm512_xor_si512(load512(p), first);
  __m512i x1 = load512(p + 64);
  __m512i x2 = load512(p + 128);
  __m512i x3 = load512(p + 192);
  p += 256;
  size -= 256;
  const __m512i k2048 = broadcast512(fold2048Bits);
  for (; size >= 256; size -= 256, p += 256) {
    x0 = fold512(x0, k2048, load512(p));
    x1 = fold512(x1, k2048, load512(p + 64));
    x2 = fold512(x2, k2048, load512(p + 128));
    x3 = fold512(x3, k2048, load512(p + 192));
  }
  const __m512i k512 = broadcast512(fold512Bits);
  x0 = fold512(x0, k512, x1);
  x0 = fold512(x0, k512, x2);
  x0 = fold512(x0, k512, x3);
  for (; size >= 64; size -= 64, p += 64) x0 = fold512(x0, k512, load512(p));
  // Lanes 0, 1 and 2 move forward by 384, 256 and 128 bits onto lane 3.
  const __m512i kLanes = _mm512_set_epi64(0, 0, fold128Bits.high, fold128Bits.low, fold256Bits.high,
                                          fold256Bits.low, fold384Bits.high, fold384Bits.low);
  const __m512i moved = _mm512_xor_si512(_mm512_clmulepi64_epi128(x0, kLanes, 0x00),
                                         _mm512_clmulepi64_epi128(x0, kLanes, 0x11));
  __m128i x = _mm_xor_si128(lane512<3>(x0), lane512<0>(moved));
  x = _mm_xor_si128(x, lane512<1>(moved));
  x = _mm_xor_si128(x, lane512<2>(moved));
  return finish128(x, p, size / 16);
}

#endif  // LIEDKORB_CRC32_WIDE_VECTORS

using FoldFunction = std::uint32_t (*)(std::uint32_t, const unsigned char*, std::size_t);

// Runs fold over the whole 16-byte blocks and the tables over the rest.
std::uint32_t update(FoldFunction fold, std::size_t minimum, std::uint32_t crc, const unsigned char* data,
                     std::size_t size) {
  if (size < minimum) return crc32Portable(crc, data, size);
  std::size_t blocks = size & ~std::size_t{15};
  std::uint32_t reg = fold(~crc, data, blocks);
  return crc32Portable(~reg, data + blocks, size - blocks);
}

}  // namespace

bool cpuHasPclmul() { return __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1"); }

bool cpuHasVpclmul256() {
#if LIEDKORB_CRC32_WIDE_VECTORS
  return cpuHasPclmul() && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("vpclmulqdq");
#else
  return false;
#endif
}

bool cpuHasVpclmul512() {
#if LIEDKORB_CRC32_WIDE_VECTORS
  return cpuHasPclmul() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("vpclmulqdq");
#else
  return false;
#endif
}

std::uint32_t updatePclmul(std::uint32_t crc, const unsigned char* data, std::size_t size) {
  return update(foldPclmul, 64, crc, data, size);
}

std::uint32_t updateVpclmul256(std::uint32_t crc, const unsigned char* data, std::size_t size) {
#if LIEDKORB_CRC32_WIDE_VECTORS
  if (size >= 128) return update(foldVpclmul256, 128, crc, data, size);
#endif
  return updatePclmul(crc, data, size);
}

std::uint32_t updateVpclmul512(std::uint32_t crc, const unsigned char* data, std::size_t size) {
#if LIEDKORB_CRC32_WIDE_VECTORS
  if (size >= 256) return update(foldVpclmul512, 256, crc, data, size);
#endif
  return updatePclmul(crc, data, size);
}

}  // namespace crc32_fold

#else  // not x86

namespace crc32_fold {

bool cpuHasPclmul() { return false; }
bool cpuHasVpclmul256() { return false; }
bool cpuHasVpclmul512() { return false; }

std::uint32_t updatePclmul(std::uint32_t crc, const unsigned char* data, std::size_t size) {
  return crc32Portable(crc, data, size);
}
std::uint32_t updateVpclmul256(std::uint32_t crc, const unsigned char* data, std::size_t size) {
  return crc32Portable(crc, data, size);
}
std::uint32_t updateVpclmul512(std::uint32_t crc, const unsigned char* data, std::size_t size) {
  return crc32Portable(crc, data, size);
}

}  // namespace crc32_fold

#endif
