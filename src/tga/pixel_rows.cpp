#include "tga/pixel_rows.h"

#include <bit>
#include <cstring>

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define SNAPVALE_HAVE_SSSE3 1
#else
#define SNAPVALE_HAVE_SSSE3 0
#endif

namespace {

constexpr std::uint32_t kOpaque = 0xFF000000u;

std::uint32_t Load32(const std::uint8_t* p)
{
    std::uint32_t value;
    std::memcpy(&value, p, sizeof value);
    if constexpr (std::endian::native == std::endian::big)
        value =
            (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
    return value;
}

// 5-bit channel to 8 bits by repeating its top bits, so 0 stays 0 and 31 becomes 255.
constexpr std::array<std::uint32_t, 32> kWiden5 = [] {
    std::array<std::uint32_t, 32> table{};
    for (std::uint32_t c = 0; c < 32; ++c)
        table[c] = (c << 3) | (c >> 2);
    return table;
}();

void Convert8(const std::uint8_t* src, std::uint32_t* dst, int count, const std::uint32_t* colours)
{
    for (int x = 0; x < count; ++x)
        dst[x] = colours[src[x]];
}

void Convert16(const std::uint8_t* src, std::uint32_t* dst, int count, const std::uint32_t*)
{
    for (int x = 0; x < count; ++x, src += 2) {
        const std::uint32_t v = src[0] | (std::uint32_t{ src[1] } << 8);
        dst[x] = kOpaque | (kWiden5[(v >> 10) & 31] << 16) | (kWiden5[(v >> 5) & 31] << 8)
            | kWiden5[v & 31];
    }
}

void Convert24(const std::uint8_t* src, std::uint32_t* dst, int count, const std::uint32_t*)
{
    // Four pixels from three 4-byte loads, shifting each pixel's bytes into place.
    int x = 0;
    for (; x + 4 <= count; x += 4, src += 12) {
        const std::uint32_t w0 = Load32(src);
        const std::uint32_t w1 = Load32(src + 4);
        const std::uint32_t w2 = Load32(src + 8);
        dst[x] = kOpaque | w0;
        dst[x + 1] = kOpaque | (w0 >> 24) | (w1 << 8);
        dst[x + 2] = kOpaque | (w1 >> 16) | (w2 << 16);
        dst[x + 3] = kOpaque | (w2 >> 8);
    }
    for (; x < count; ++x, src += 3)
        dst[x] =
            kOpaque | (std::uint32_t{ src[2] } << 16) | (std::uint32_t{ src[1] } << 8) | src[0];
}

void Convert32(const std::uint8_t* src, std::uint32_t* dst, int count, const std::uint32_t*)
{
    for (int x = 0; x < count; ++x, src += 4)
        dst[x] = kOpaque | Load32(src);
}

#if SNAPVALE_HAVE_SSSE3
// Most of the decoding time of a 24-bit screenshot is this loop; one byte shuffle widens four
// pixels at a time.
template <bool Streaming>
__attribute__((target("ssse3"))) void Convert24Ssse3(
    const std::uint8_t* src, std::uint32_t* dst, int count, const std::uint32_t* colours)
{
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(kOpaque));
    int x = 0;
    // Streaming stores need 16-byte alignment.
    if constexpr (Streaming)
        for (; x < count && (reinterpret_cast<std::uintptr_t>(dst + x) & 15) != 0; ++x, src += 3)
            Convert24(src, dst + x, 1, colours);
    // A 16-byte load covers 4 pixels and 4 more bytes, so it stops 6 pixels before the end.
    for (; x + 6 <= count; x += 4, src += 12) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        const __m128i words = _mm_or_si128(_mm_shuffle_epi8(bytes, spread), opaque);
        if constexpr (Streaming)
            _mm_stream_si128(reinterpret_cast<__m128i*>(dst + x), words);
        else
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + x), words);
    }
    Convert24(src, dst + x, count - x, colours);
}

void Convert32Streaming(
    const std::uint8_t* src, std::uint32_t* dst, int count, const std::uint32_t* colours)
{
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(kOpaque));
    int x = 0;
    for (; x < count && (reinterpret_cast<std::uintptr_t>(dst + x) & 15) != 0; ++x, src += 4)
        Convert32(src, dst + x, 1, colours);
    for (; x + 4 <= count; x += 4, src += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        _mm_stream_si128(reinterpret_cast<__m128i*>(dst + x), _mm_or_si128(bytes, opaque));
    }
    Convert32(src, dst + x, count - x, colours);
}
#endif

} // namespace

namespace snapvale {

PixelConverter PixelConverterFor(int bitCount, Stores stores)
{
    [[maybe_unused]] const bool streaming = stores == Stores::Streaming;
    switch (bitCount) {
    case 8:
        return Convert8;
    case 16:
        return Convert16;
    case 24:
#if SNAPVALE_HAVE_SSSE3
        if (__builtin_cpu_supports("ssse3"))
            return streaming ? Convert24Ssse3<true> : Convert24Ssse3<false>;
#endif
        return Convert24;
    case 32:
#if SNAPVALE_HAVE_SSSE3
        if (streaming)
            return Convert32Streaming;
#endif
        return Convert32;
    default:
        return nullptr;
    }
}

void FinishStreamingStores()
{
#if SNAPVALE_HAVE_SSSE3
    _mm_sfence(); // the streaming stores are seen before the picture is handed on
#endif
}

std::array<std::uint32_t, 256> ColourWords(std::span<const RGBQuad, 256> table)
{
    std::array<std::uint32_t, 256> words{};
    for (std::size_t i = 0; i < words.size(); ++i) {
        const RGBQuad& c = table[i];
        words[i] = kOpaque | (std::uint32_t{ c.rgbRed } << 16) | (std::uint32_t{ c.rgbGreen } << 8)
            | c.rgbBlue;
    }
    return words;
}

} // namespace snapvale
