#include "tga/tga_loader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fstream>
#include <memory>
#include <new>
#include <system_error>

#include "tga/checked_size.h"
#include "tga/pixel_rows.h"

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
    if (!bufferSize || !pixelCount || *pixelCount > kMaxPicturePixels)
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

// The fewest bytes run-length data for these rows can take: every packet a 128-pixel run.
// Checking it first keeps a small file from claiming a huge buffer.
std::optional<std::size_t> LeastRunLengthBytes(const Rows& rows)
{
    const std::size_t packets = (rows.pixelCount + kMaxPacketPixels - 1) / kMaxPacketPixels;
    return CheckedMultiply(packets, 1 + rows.pixelBytes);
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
    const std::optional<std::size_t> leastBytes = LeastRunLengthBytes(*rows);
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

} // namespace snapvale

namespace {

// The header, past the image ID, with the colour table the image type asks for; nothing when
// the file is refused.
std::optional<TGAHeader> ReadUpToPixels(ByteReader& reader, BitmapInfo& info)
{
    const auto headerBytes = reader.Take(kTGAHeaderSize);
    if (!headerBytes)
        return std::nullopt;
    const std::optional<TGAHeader> header = ReadTGAHeader(*headerBytes);
    if (!header || !CheckHeader(*header) || !reader.Skip(header->IDField))
        return std::nullopt;
    const int depth = header->PixelDepth;
    if (IsColourMapped(header->ImageType)) {
        if (depth != 8 || header->ColorMap == 0 || !LoadPalette(reader, *header, info))
            return std::nullopt;
    } else if (IsGrey(header->ImageType)) {
        if (depth != 8 || header->ColorMap == 1)
            return std::nullopt;
        SetGrayPalette(info);
    }
    // True-colour images read their pixels right after the image ID, even when the header
    // declares a colour map; at 8 bits their colour table stays black.
    return header;
}

// Where the decoder writes: the picture's rows, top first, found from the file's row order.
struct PictureRows
{
    std::uint32_t* pixels;
    std::size_t width;
    int height;
    bool topDown;

    std::uint32_t* Row(int fileRow) const
    {
        const int top = topDown ? fileRow : height - 1 - fileRow;
        return pixels + static_cast<std::size_t>(top) * width;
    }
};

bool DecodePlainPixels(ByteReader& reader, const PictureRows& out, const Rows& rows, bool mirrored,
    const std::uint32_t* colours, int depth)
{
    // A mirrored row is read back at once; others are not read again during the decode.
    const Stores stores = mirrored ? Stores::Cached : Stores::Streaming;
    const PixelConverter convert = PixelConverterFor(depth, stores);
    const int width = static_cast<int>(out.width);
    for (int y = 0; y < out.height; ++y) {
        std::uint32_t* const row = out.Row(y);
        // A row comes in one piece unless it crosses the end of the read buffer.
        for (int x = 0; x < width;) {
            const auto piece = reader.TakeSome(
                static_cast<std::size_t>(width - x) * rows.pixelBytes, rows.pixelBytes);
            if (!piece)
                return false;
            const auto count = static_cast<int>(piece->size() / rows.pixelBytes);
            convert(piece->data(), row + x, count, colours);
            x += count;
        }
        if (mirrored)
            std::reverse(row, row + width);
    }
    if (stores == Stores::Streaming)
        FinishStreamingStores();
    return true;
}

bool DecodeRunLengthPixels(ByteReader& reader, const PictureRows& out, const Rows& rows,
    bool mirrored, const std::uint32_t* colours, int depth)
{
    const PixelConverter convert = PixelConverterFor(depth);
    const std::size_t pixelBytes = rows.pixelBytes;
    const int width = static_cast<int>(out.width);
    std::uint32_t* row = out.Row(0);
    int x = 0;
    int y = 0;
    for (;;) {
        const auto packetHeader = reader.Take(1);
        if (!packetHeader)
            return false;
        const std::uint8_t h = (*packetHeader)[0];
        const bool run = (h & kRunPacket) != 0;
        int count = (h & 0x7F) + 1;
        std::uint32_t value = 0;
        if (run) {
            const auto pixel = reader.Take(pixelBytes);
            if (!pixel)
                return false;
            convert(pixel->data(), &value, 1, colours);
        }
        // A packet may continue on the next row, and is cut off at the image's last pixel.
        while (count > 0) {
            const int n = std::min(count, width - x);
            if (run) {
                std::fill_n(row + x, n, value);
            } else {
                for (int done = 0; done < n;) {
                    const auto piece = reader.TakeSome(
                        static_cast<std::size_t>(n - done) * pixelBytes, pixelBytes);
                    if (!piece)
                        return false;
                    const auto pieceCount = static_cast<int>(piece->size() / pixelBytes);
                    convert(piece->data(), row + x + done, pieceCount, colours);
                    done += pieceCount;
                }
            }
            x += n;
            count -= n;
            if (x == width) {
                if (mirrored)
                    std::reverse(row, row + width);
                x = 0;
                if (++y == out.height)
                    return true;
                row = out.Row(y);
            }
        }
    }
}

// The picture straight from the file's bytes: each pixel becomes its word once, in its place
// in the picture, so the picture is the one block a decode allocates.
std::optional<Picture> DecodePicture(ByteReader& reader)
{
    BitmapInfo info{};
    const std::optional<TGAHeader> header = ReadUpToPixels(reader, info);
    if (!header)
        return std::nullopt;
    const int depth = header->PixelDepth;
    const std::optional<Rows> rows = MeasureRows(header->Width, header->Height, depth);
    if (!rows)
        return std::nullopt;
    // The same checks as the bitmap route, before anything is allocated.
    const bool runLength = IsRunLength(header->ImageType);
    const std::optional<std::size_t> needed = runLength
        ? LeastRunLengthBytes(*rows)
        : CheckedMultiply(rows->rowBytes, static_cast<std::size_t>(header->Height));
    if (!needed || reader.remaining() < *needed)
        return std::nullopt;

    std::optional<Picture> picture = Picture::Allocate(header->Width, header->Height);
    if (!picture)
        return std::nullopt;
    const PictureRows out{ picture->data(), static_cast<std::size_t>(header->Width), header->Height,
        (header->Descriptor & kTopToBottom) != 0 };
    const bool mirrored = (header->Descriptor & kRightToLeft) != 0;
    const std::array<std::uint32_t, 256> colours = ColourWords(info.bmiColors);
    const bool decoded = runLength
        ? DecodeRunLengthPixels(reader, out, *rows, mirrored, colours.data(), depth)
        : DecodePlainPixels(reader, out, *rows, mirrored, colours.data(), depth);
    if (!decoded)
        return std::nullopt;
    return picture;
}

} // namespace

namespace snapvale {

std::optional<TGABitmap> DecodeTGABitmap(std::span<const std::uint8_t> file)
{
    ByteReader reader(file);
    std::optional<TGABitmap> bitmap(std::in_place);
    bitmap->info = BitmapInfo{};
    const std::optional<TGAHeader> header = ReadUpToPixels(reader, bitmap->info);
    if (!header)
        return std::nullopt;
    const int depth = header->PixelDepth;
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
    ByteReader reader(file);
    return DecodePicture(reader);
}

std::optional<Picture> LoadTGA(const std::filesystem::path& FilePath)
{
    // One buffer per thread for the thread's life: its pages are touched once, not per file.
    thread_local std::unique_ptr<std::uint8_t[]> buffer;
    if (!buffer)
        buffer.reset(new (std::nothrow) std::uint8_t[kTGAReadBufferSize]);
    if (!buffer)
        return std::nullopt;
    return LoadTGA(FilePath, std::span(buffer.get(), kTGAReadBufferSize));
}

std::optional<Picture> LoadTGA(
    const std::filesystem::path& FilePath, std::span<std::uint8_t> readBuffer)
{
    // Opening a pipe or device could block or never end; only plain files are pictures.
    std::error_code error;
    if (!std::filesystem::is_regular_file(FilePath, error))
        return std::nullopt;
    const std::uintmax_t size = std::filesystem::file_size(FilePath, error);
    if (error)
        return std::nullopt;
    std::ifstream in;
    // Unbuffered, so reads go straight into the read buffer.
    in.rdbuf()->pubsetbuf(nullptr, 0);
    in.open(FilePath, std::ios::binary);
    if (!in)
        return std::nullopt;
    ByteReader reader(in, size, readBuffer);
    return DecodePicture(reader);
}

} // namespace snapvale
