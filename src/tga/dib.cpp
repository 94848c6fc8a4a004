#include "tga/dib.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <new>

#include "tga/checked_size.h"

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define SNAPVALE_HAVE_SSSE3 1
#else
#define SNAPVALE_HAVE_SSSE3 0
#endif

namespace {

using namespace snapvale;

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

void ConvertRow8(const std::uint8_t* src, std::uint32_t* dst, int width, const std::uint32_t* lut)
{
    for (int x = 0; x < width; ++x)
        dst[x] = lut[src[x]];
}

void ConvertRow16(const std::uint8_t* src, std::uint32_t* dst, int width, const std::uint32_t*)
{
    for (int x = 0; x < width; ++x, src += 2) {
        const std::uint32_t v = src[0] | (std::uint32_t{ src[1] } << 8);
        dst[x] = kOpaque | (kWiden5[(v >> 10) & 31] << 16) | (kWiden5[(v >> 5) & 31] << 8)
            | kWiden5[v & 31];
    }
}

void ConvertRow24(const std::uint8_t* src, std::uint32_t* dst, int width, const std::uint32_t*)
{
    // Four pixels from three 4-byte loads, shifting each pixel's bytes into place.
    int x = 0;
    for (; x + 4 <= width; x += 4, src += 12) {
        const std::uint32_t w0 = Load32(src);
        const std::uint32_t w1 = Load32(src + 4);
        const std::uint32_t w2 = Load32(src + 8);
        dst[x] = kOpaque | w0;
        dst[x + 1] = kOpaque | (w0 >> 24) | (w1 << 8);
        dst[x + 2] = kOpaque | (w1 >> 16) | (w2 << 16);
        dst[x + 3] = kOpaque | (w2 >> 8);
    }
    for (; x < width; ++x, src += 3)
        dst[x] =
            kOpaque | (std::uint32_t{ src[2] } << 16) | (std::uint32_t{ src[1] } << 8) | src[0];
}

#if SNAPVALE_HAVE_SSSE3
// Most of the decoding time of a 24-bit screenshot is this loop; one byte shuffle widens four
// pixels at a time.
__attribute__((target("ssse3"))) void ConvertRow24Ssse3(
    const std::uint8_t* src, std::uint32_t* dst, int width, const std::uint32_t* lut)
{
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(kOpaque));
    int x = 0;
    // Streaming stores skip reading the fresh output into the cache first; they need 16-byte
    // alignment.
    for (; x < width && (reinterpret_cast<std::uintptr_t>(dst + x) & 15) != 0; ++x, src += 3)
        ConvertRow24(src, dst + x, 1, lut);
    // A 16-byte load covers 4 pixels and 4 more bytes, so it stops 6 pixels before the row end.
    for (; x + 6 <= width; x += 4, src += 12) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        _mm_stream_si128(reinterpret_cast<__m128i*>(dst + x),
            _mm_or_si128(_mm_shuffle_epi8(bytes, spread), opaque));
    }
    ConvertRow24(src, dst + x, width - x, lut);
}
#endif

void ConvertRow32(const std::uint8_t* src, std::uint32_t* dst, int width, const std::uint32_t*)
{
    for (int x = 0; x < width; ++x, src += 4)
        dst[x] = kOpaque | Load32(src);
}

struct Geometry
{
    int width;
    int height;
    bool topDown;
    bool mirrored;
    std::size_t stride;
    std::size_t bufferSize;
    std::size_t pixelCount;
};

std::optional<Geometry> Measure(const BitmapInfoHeader& header)
{
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    if (header.biCompression != 0 || header.biWidth == 0 || header.biHeight == 0
        || header.biWidth == kMin || header.biHeight == kMin)
        return std::nullopt;
    Geometry g{};
    g.width = header.biWidth < 0 ? -header.biWidth : header.biWidth;
    g.height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    g.mirrored = header.biWidth < 0;
    g.topDown = header.biHeight < 0;
    // Picture::bytesPerLine() is an int.
    if (g.width > std::numeric_limits<int>::max() / 4)
        return std::nullopt;
    g.stride = DibRowStride(g.width, header.biBitCount);
    const auto rows = static_cast<std::size_t>(g.height);
    const std::optional<std::size_t> bufferSize = CheckedMultiply(g.stride, rows);
    const std::optional<std::size_t> pixelCount =
        CheckedMultiply(static_cast<std::size_t>(g.width), rows);
    if (g.stride == 0 || !bufferSize || !pixelCount
        || !CheckedMultiply(*pixelCount, sizeof(std::uint32_t)))
        return std::nullopt;
    g.bufferSize = *bufferSize;
    g.pixelCount = *pixelCount;
    return g;
}

} // namespace

namespace snapvale {

std::size_t DibRowStride(std::int64_t width, int bitCount)
{
    if (width <= 0 || (bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32))
        return 0;
    // Rows are limited to what a 32-bit size can describe, so this cannot overflow.
    if (width > std::numeric_limits<std::uint32_t>::max() / 4)
        return 0;
    const std::uint64_t rowBytes = static_cast<std::uint64_t>(width) * (bitCount / 8);
    return static_cast<std::size_t>((rowBytes + 3) & ~std::uint64_t{ 3 });
}

void PixelBuffer::Borrow(std::span<const std::uint8_t> bytes)
{
    owned_.reset();
    bytes_ = bytes;
}

std::uint8_t* PixelBuffer::Allocate(std::size_t size)
{
    owned_.reset(new (std::nothrow) std::uint8_t[size]);
    bytes_ = owned_ ? std::span<const std::uint8_t>(owned_.get(), size)
                    : std::span<const std::uint8_t>();
    return owned_.get();
}

std::optional<Picture> CreatePictureFromDIB(const void* buffer, const BitmapInfo& info)
{
    const auto* bits = static_cast<const std::uint8_t*>(buffer);
    const std::optional<Geometry> g = Measure(info.bmiHeader);
    if (!g || bits == nullptr)
        return std::nullopt;

    using RowConverter = void (*)(const std::uint8_t*, std::uint32_t*, int, const std::uint32_t*);
    RowConverter convert = nullptr;
    std::array<std::uint32_t, 256> lut{};
    switch (info.bmiHeader.biBitCount) {
    case 8:
        convert = ConvertRow8;
        for (std::size_t i = 0; i < lut.size(); ++i) {
            const RGBQuad& c = info.bmiColors[i];
            lut[i] = kOpaque | (std::uint32_t{ c.rgbRed } << 16)
                | (std::uint32_t{ c.rgbGreen } << 8) | c.rgbBlue;
        }
        break;
    case 16:
        convert = ConvertRow16;
        break;
    case 24:
        convert = ConvertRow24;
#if SNAPVALE_HAVE_SSSE3
        if (__builtin_cpu_supports("ssse3"))
            convert = ConvertRow24Ssse3;
#endif
        break;
    default:
        convert = ConvertRow32;
        break;
    }

    std::unique_ptr<std::uint32_t[]> pixels(new (std::nothrow) std::uint32_t[g->pixelCount]);
    if (!pixels)
        return std::nullopt;
    const auto width = static_cast<std::size_t>(g->width);
    for (int row = 0; row < g->height; ++row) {
        const int top = g->topDown ? row : g->height - 1 - row;
        std::uint32_t* dst = pixels.get() + static_cast<std::size_t>(top) * width;
        convert(bits + static_cast<std::size_t>(row) * g->stride, dst, g->width, lut.data());
        if (g->mirrored)
            std::reverse(dst, dst + width);
    }
#if SNAPVALE_HAVE_SSSE3
    _mm_sfence(); // the streaming stores are seen before the picture is
#endif
    return Picture(g->width, g->height, std::move(pixels));
}

std::optional<Picture> CreatePictureFromDIB(
    std::span<const std::uint8_t> bits, const BitmapInfo& info)
{
    const std::optional<Geometry> g = Measure(info.bmiHeader);
    if (!g || bits.size() < g->bufferSize)
        return std::nullopt;
    return CreatePictureFromDIB(bits.data(), info);
}

} // namespace snapvale
