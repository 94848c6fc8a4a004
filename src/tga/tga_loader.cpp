#include "tga/tga_loader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <limits>
#include <memory>
#include <new>
#include <system_error>

#include "tga/checked_size.h"

namespace {

using namespace snapvale;

// Where each header field sits in the file.
struct HeaderOffset
{
    enum : std::size_t {
        IDField = 0, // 00h
        ColorMap = 1, // 01h
        ImageType = 2, // 02h
        ColMapOri = 3, // 03h
        ColMapLen = 5, // 05h
        ColMapEnt = 7, // 07h
        XOrigin = 8, // 08h
        YOrigin = 10, // 0Ah
        Width = 12, // 0Ch
        Height = 14, // 0Eh
        PixelDepth = 16, // 10h
        Descriptor = 17, // 11h
    };
};
static_assert(HeaderOffset::Descriptor + 1 == kTGAHeaderSize);

// Pixel counts per run-length packet.
constexpr std::size_t kMaxPacketPixels = 128;
constexpr std::uint8_t kRunPacket = 0x80;
constexpr std::size_t kColourTableSize = 256;

std::int16_t ReadInt16(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return static_cast<std::int16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

bool IsColourMapped(int imageType) { return imageType == 1 || imageType == 9; }
bool IsGrey(int imageType) { return imageType == 3 || imageType == 11; }
bool IsRunLength(int imageType) { return imageType >= 9; }

template <std::size_t Size>
void FillFixed(std::uint8_t* dst, const std::uint8_t* pixel, std::size_t count)
{
    std::uint8_t value[Size];
    std::memcpy(value, pixel, Size);
    for (std::size_t i = 0; i < count; ++i, dst += Size)
        std::memcpy(dst, value, Size);
}

// Writes count copies of one pixel of size bytes; fixed sizes let the copies inline.
void FillPixels(std::uint8_t* dst, const std::uint8_t* pixel, std::size_t count, std::size_t size)
{
    switch (size) {
    case 1:
        std::memset(dst, pixel[0], count);
        break;
    case 2:
        FillFixed<2>(dst, pixel, count);
        break;
    case 3:
        FillFixed<3>(dst, pixel, count);
        break;
    default:
        FillFixed<4>(dst, pixel, count);
        break;
    }
}

// Pixel-buffer geometry shared by both pixel decoders; nothing when it cannot be represented.
struct Rows
{
    std::size_t pixelBytes; // bytes per pixel
    std::size_t rowBytes; // a row's pixels without filler
    std::size_t stride;
    std::size_t bufferSize;
    std::size_t pixelCount;
};

std::optional<Rows> MeasureRows(int width, int height, int pixelDepth)
{
    if (width <= 0 || height <= 0)
        return std::nullopt;
    Rows rows{};
    rows.stride = DibRowStride(width, pixelDepth);
    if (rows.stride == 0)
        return std::nullopt;
    rows.pixelBytes = static_cast<std::size_t>(pixelDepth / 8);
    rows.rowBytes = static_cast<std::size_t>(width) * rows.pixelBytes;
    const auto w = static_cast<std::size_t>(width);
    const auto h = static_cast<std::size_t>(height);
    const std::optional<std::size_t> bufferSize = CheckedMultiply(rows.stride, h);
    const std::optional<std::size_t> pixelCount = CheckedMultiply(w, h);
    if (!bufferSize || !pixelCount)
        return std::nullopt;
    rows.bufferSize = *bufferSize;
    rows.pixelCount = *pixelCount;
    return rows;
}

void ZeroFiller(std::uint8_t* base, const Rows& rows, int height)
{
    if (rows.stride == rows.rowBytes)
        return;
    for (int y = 0; y < height; ++y)
        std::memset(base + static_cast<std::size_t>(y) * rows.stride + rows.rowBytes, 0,
            rows.stride - rows.rowBytes);
}

// The most bytes a decode of this header can consume; reading more of a file is pointless.
std::uint64_t MostBytesUsed(const TGAHeader& header)
{
    const std::uint64_t pixels =
        static_cast<std::uint64_t>(header.Width) * static_cast<std::uint64_t>(header.Height);
    const std::uint64_t entries = header.ColMapLen < 0 ? 0 : header.ColMapLen;
    // Worst case per pixel: a one-pixel packet with its header byte.
    return kTGAHeaderSize + header.IDField + entries * 4 + pixels * (1 + header.PixelDepth / 8);
}

} // namespace

namespace snapvale {

std::optional<TGAHeader> ReadTGAHeader(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < kTGAHeaderSize)
        return std::nullopt;
    TGAHeader header{};
    header.IDField = bytes[HeaderOffset::IDField];
    header.ColorMap = bytes[HeaderOffset::ColorMap];
    header.ImageType = bytes[HeaderOffset::ImageType];
    header.ColMapOri = ReadInt16(bytes, HeaderOffset::ColMapOri);
    header.ColMapLen = ReadInt16(bytes, HeaderOffset::ColMapLen);
    header.ColMapEnt = bytes[HeaderOffset::ColMapEnt];
    header.XOrigin = ReadInt16(bytes, HeaderOffset::XOrigin);
    header.YOrigin = ReadInt16(bytes, HeaderOffset::YOrigin);
    header.Width = ReadInt16(bytes, HeaderOffset::Width);
    header.Height = ReadInt16(bytes, HeaderOffset::Height);
    header.PixelDepth = bytes[HeaderOffset::PixelDepth];
    header.Descriptor = bytes[HeaderOffset::Descriptor];
    return header;
}

bool CheckHeader(const TGAHeader& header)
{
    switch (header.ImageType) {
    case 1:
    case 2:
    case 3:
    case 9:
    case 10:
    case 11:
        break;
    default:
        return false;
    }
    if (header.Width <= 0 || header.Height <= 0)
        return false;
    if (header.PixelDepth < 8 || header.PixelDepth > 32 || header.PixelDepth % 8 != 0)
        return false;
    // A negative length passes here; LoadPalette refuses it when the map is actually read.
    if (header.ColorMap != 0 && (header.PixelDepth != 8 || header.ColMapLen == 0))
        return false;
    return true;
}

bool LoadPalette(ByteReader& reader, const TGAHeader& header, BitmapInfo& info)
{
    if (header.ColMapEnt != 24 && header.ColMapEnt != 32)
        return false;
    if (header.ColMapLen < 0)
        return false;
    const auto length = static_cast<std::size_t>(header.ColMapLen);
    const std::size_t entryBytes = header.ColMapEnt / 8;
    const std::size_t count = std::min(length, kColourTableSize);
    const auto entries = reader.Take(count * entryBytes);
    if (!entries)
        return false;
    const std::uint8_t* entry = entries->data();
    for (std::size_t i = 0; i < count; ++i, entry += entryBytes)
        info.bmiColors[i] =
            RGBQuad{ entry[0], entry[1], entry[2], entryBytes == 4 ? entry[3] : std::uint8_t{} };
    // An 8-bit pixel cannot address entries past 256, but they still stand between the map
    // and the pixel data.
    if (length > count)
        return reader.Skip((length - count) * entryBytes);
    return true;
}

bool SetGrayPalette(BitmapInfo& info)
{
    for (std::size_t i = 0; i < kColourTableSize; ++i) {
        const auto level = static_cast<std::uint8_t>(i);
        info.bmiColors[i] = RGBQuad{ level, level, level, 0 };
    }
    return true;
}

bool LoadImage(PixelBuffer& pixels, ByteReader& reader, int width, int height, int pixelDepth)
{
    const std::optional<Rows> rows = MeasureRows(width, height, pixelDepth);
    if (!rows)
        return false;
    const std::optional<std::size_t> blockSize =
        CheckedMultiply(rows->rowBytes, static_cast<std::size_t>(height));
    if (!blockSize)
        return false;
    const auto block = reader.Take(*blockSize);
    if (!block)
        return false;
    if (rows->stride == rows->rowBytes) {
        pixels.Borrow(*block);
        return true;
    }
    std::uint8_t* base = pixels.Allocate(rows->bufferSize);
    if (!base)
        return false;
    for (int y = 0; y < height; ++y)
        std::memcpy(base + static_cast<std::size_t>(y) * rows->stride,
            block->data() + static_cast<std::size_t>(y) * rows->rowBytes, rows->rowBytes);
    ZeroFiller(base, *rows, height);
    return true;
}

bool LoadImage_RLE(PixelBuffer& pixels, ByteReader& reader, int width, int height, int pixelDepth)
{
    const std::optional<Rows> rows = MeasureRows(width, height, pixelDepth);
    if (!rows)
        return false;
    // Even if every packet were a 128-pixel run, the data needs this many bytes; checking
    // first keeps a small file from claiming a huge buffer.
    const std::size_t packets = (rows->pixelCount + kMaxPacketPixels - 1) / kMaxPacketPixels;
    const std::optional<std::size_t> leastBytes = CheckedMultiply(packets, 1 + rows->pixelBytes);
    if (!leastBytes || reader.remaining() < *leastBytes)
        return false;
    std::uint8_t* const base = pixels.Allocate(rows->bufferSize);
    if (!base)
        return false;
    ZeroFiller(base, *rows, height);

    const std::size_t pixelBytes = rows->pixelBytes;
    std::uint8_t* dst = base;
    int x = 0;
    int y = 0;
    for (;;) {
        const auto packetHeader = reader.Take(1);
        if (!packetHeader)
            return false;
        const std::uint8_t h = (*packetHeader)[0];
        const bool run = (h & kRunPacket) != 0;
        std::size_t count = (h & 0x7Fu) + 1u;
        const std::uint8_t* value = nullptr;
        if (run) {
            const auto pixel = reader.Take(pixelBytes);
            if (!pixel)
                return false;
            value = pixel->data();
        }
        // A packet may continue on the next row, and is cut off at the image's last pixel.
        while (count > 0) {
            const std::size_t n = std::min(count, static_cast<std::size_t>(width - x));
            if (run) {
                FillPixels(dst, value, n, pixelBytes);
            } else {
                const auto raw = reader.Take(n * pixelBytes);
                if (!raw)
                    return false;
                std::memcpy(dst, raw->data(), n * pixelBytes);
            }
            dst += n * pixelBytes;
            x += static_cast<int>(n);
            count -= n;
            if (x == width) {
                x = 0;
                if (++y == height)
                    return true;
                dst = base + static_cast<std::size_t>(y) * rows->stride;
            }
        }
    }
}

std::optional<TGABitmap> DecodeTGABitmap(std::span<const std::uint8_t> file)
{
    ByteReader reader(file);
    const auto headerBytes = reader.Take(kTGAHeaderSize);
    if (!headerBytes)
        return std::nullopt;
    const std::optional<TGAHeader> header = ReadTGAHeader(*headerBytes);
    if (!header || !CheckHeader(*header))
        return std::nullopt;
    if (!reader.Skip(header->IDField))
        return std::nullopt;

    std::optional<TGABitmap> bitmap(std::in_place);
    bitmap->info = BitmapInfo{};
    const int depth = header->PixelDepth;
    if (IsColourMapped(header->ImageType)) {
        if (depth != 8 || header->ColorMap == 0 || !LoadPalette(reader, *header, bitmap->info))
            return std::nullopt;
    } else if (IsGrey(header->ImageType)) {
        if (depth != 8 || header->ColorMap == 1)
            return std::nullopt;
        SetGrayPalette(bitmap->info);
    }
    // True-colour images read their pixels right after the image ID, even when the header
    // declares a colour map; at 8 bits their colour table stays black.

    const bool decoded = IsRunLength(header->ImageType)
        ? LoadImage_RLE(bitmap->pixels, reader, header->Width, header->Height, depth)
        : LoadImage(bitmap->pixels, reader, header->Width, header->Height, depth);
    if (!decoded)
        return std::nullopt;

    BitmapInfoHeader& info = bitmap->info.bmiHeader;
    info.biSize = kBitmapInfoHeaderSize;
    info.biWidth = (header->Descriptor & kRightToLeft) ? -header->Width : header->Width;
    info.biHeight = (header->Descriptor & kTopToBottom) ? -header->Height : header->Height;
    info.biPlanes = 1;
    info.biBitCount = static_cast<std::uint16_t>(depth);
    return bitmap;
}

std::optional<Picture> DecodeTGA(std::span<const std::uint8_t> file)
{
    const std::optional<TGABitmap> bitmap = DecodeTGABitmap(file);
    if (!bitmap)
        return std::nullopt;
    return CreatePictureFromDIB(bitmap->pixels.bytes(), bitmap->info);
}

std::optional<Picture> LoadTGA(const std::filesystem::path& FilePath)
{
    // Opening a pipe or device could block or never end; only plain files are pictures.
    std::error_code error;
    if (!std::filesystem::is_regular_file(FilePath, error))
        return std::nullopt;
    std::ifstream in(FilePath, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::array<std::uint8_t, kTGAHeaderSize> head;
    in.read(reinterpret_cast<char*>(head.data()), head.size());
    if (in.gcount() != static_cast<std::streamsize>(head.size()))
        return std::nullopt;
    const std::optional<TGAHeader> header = ReadTGAHeader(head);
    if (!header || !CheckHeader(*header))
        return std::nullopt;

    // Read the rest in one go, but never more than a decode of this header could use.
    const std::uintmax_t fileSize = std::filesystem::file_size(FilePath, error);
    if (error || fileSize < kTGAHeaderSize)
        return std::nullopt;
    const std::uint64_t wanted = std::min<std::uint64_t>(fileSize, MostBytesUsed(*header));
    if (wanted > std::numeric_limits<std::size_t>::max()
        || wanted > static_cast<std::uint64_t>(std::numeric_limits<std::streamsize>::max()))
        return std::nullopt;
    const auto size = static_cast<std::size_t>(wanted);
    std::unique_ptr<std::uint8_t[]> bytes(new (std::nothrow) std::uint8_t[size]);
    if (!bytes)
        return std::nullopt;
    std::memcpy(bytes.get(), head.data(), head.size());
    in.read(reinterpret_cast<char*>(bytes.get() + head.size()),
        static_cast<std::streamsize>(size - head.size()));
    // A file that shrank since its size was taken decodes from what was there.
    const std::size_t got = head.size() + static_cast<std::size_t>(in.gcount());
    return DecodeTGA(std::span<const std::uint8_t>(bytes.get(), got));
}

} // namespace snapvale
