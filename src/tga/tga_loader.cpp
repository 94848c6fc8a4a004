#include "tga/tga_loader.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <fstream>
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

// Whether a header this decoder refuses could still be a TGA file's: a type the format defines
// (0 holds no image; 32 and 33 are its compressed colour-mapped types), a width and a height, and
// a depth the format defines.
bool CouldBeTGA(const TGAHeader& header)
{
    constexpr std::array<int, 9> kTypes = { 0, 1, 2, 3, 9, 10, 11, 32, 33 };
    constexpr std::array<int, 5> kDepths = { 8, 15, 16, 24, 32 };
    return std::find(kTypes.begin(), kTypes.end(), header.ImageType) != kTypes.end()
        && header.Width != 0 && header.Height != 0
        && std::find(kDepths.begin(), kDepths.end(), header.PixelDepth) != kDepths.end();
}

// The pixels' measures; nothing when the picture would be larger than kMaxPicturePixels.
struct Rows
{
    std::size_t pixelBytes; // bytes per pixel
    std::size_t rowBytes; // a row's pixels as stored
    std::size_t pixelCount;
};

std::optional<Rows> MeasureRows(int width, int height, int pixelDepth)
{
    const auto w = static_cast<std::size_t>(width);
    const auto h = static_cast<std::size_t>(height);
    if (width <= 0 || height <= 0 || w * h > kMaxPicturePixels) // cannot wrap: both below 2^31
        return std::nullopt;
    const auto pixelBytes = static_cast<std::size_t>(pixelDepth / 8);
    return Rows{ pixelBytes, w * pixelBytes, w * h };
}

// The fewest bytes the pixel data can take: the whole block uncompressed, and every packet a
// 128-pixel run when run-length encoded. Checking it first keeps a small file from claiming a
// huge picture.
std::optional<std::size_t> LeastPixelBytes(const Rows& rows, bool runLength)
{
    if (!runLength)
        return CheckedMultiply(rows.pixelCount, rows.pixelBytes);
    const std::size_t packets = (rows.pixelCount + kMaxPacketPixels - 1) / kMaxPacketPixels;
    return CheckedMultiply(packets, 1 + rows.pixelBytes);
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

TGAResult Refused(TGAReason reason, std::string systemMessage = {})
{
    return { std::nullopt, TGAFailure{ reason, std::move(systemMessage) } };
}

// The reader ran out: the file ends early, or reading it failed.
TGAResult ShortOf(const ByteReader& reader, int readError)
{
    if (!reader.failed())
        return Refused(TGAReason::Truncated);
    return Refused(TGAReason::Unreadable,
        readError != 0 ? std::generic_category().message(readError) : std::string());
}

TGAResult DecodePicture(ByteReader& reader)
{
    errno = 0;
    std::array<RGBQuad, 256> table{};
    TGAReason why = TGAReason::NotTGA;
    const std::optional<TGAHeader> header = ReadUpToPixels(reader, table, why);
    if (!header)
        return reader.failed() ? ShortOf(reader, errno) : Refused(why);
    const int depth = header->PixelDepth;
    const std::optional<Rows> rows = MeasureRows(header->Width, header->Height, depth);
    if (!rows)
        return Refused(TGAReason::TooLarge);
    const bool runLength = IsRunLength(header->ImageType);
    const std::optional<std::size_t> needed = LeastPixelBytes(*rows, runLength);
    if (!needed || reader.remaining() < *needed)
        return Refused(TGAReason::Truncated);

    std::optional<Picture> picture = Picture::Allocate(header->Width, header->Height);
    if (!picture)
        return Refused(TGAReason::TooLarge);
    const PictureRows out{ picture->data(), static_cast<std::size_t>(header->Width), header->Height,
        (header->Descriptor & kTopToBottom) != 0 };
    const bool mirrored = (header->Descriptor & kRightToLeft) != 0;
    const std::array<std::uint32_t, 256> colours = ColourWords(table);
    const bool decoded = runLength
        ? DecodeRunLengthPixels(reader, out, *rows, mirrored, colours.data(), depth)
        : DecodePlainPixels(reader, out, *rows, mirrored, colours.data(), depth);
    if (!decoded)
        return ShortOf(reader, errno);
    return { std::move(picture), {} };
}

// The system's message for a failure the standard library reports, where it has one that is
// plain text on every system (a Windows message in the ANSI code page is not UTF-8).
std::string SystemMessage(const std::error_code& error)
{
    const std::error_condition condition = error.default_error_condition();
    if (condition.category() == std::generic_category())
        return condition.message();
    std::string message = error.message();
    const bool ascii =
        std::all_of(message.begin(), message.end(), [](char c) { return (c & 0x80) == 0; });
    return ascii ? message : std::string();
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

bool LoadPalette(ByteReader& reader, const TGAHeader& header, std::span<RGBQuad, 256> colours)
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
        colours[i] =
            RGBQuad{ entry[0], entry[1], entry[2], entryBytes == 4 ? entry[3] : std::uint8_t{} };
    // An 8-bit pixel cannot address entries past 256, but they still stand between the map
    // and the pixel data.
    if (length > count)
        return reader.Skip((length - count) * entryBytes);
    return true;
}

bool SetGrayPalette(std::span<RGBQuad, 256> colours)
{
    for (std::size_t i = 0; i < kColourTableSize; ++i) {
        const auto level = static_cast<std::uint8_t>(i);
        colours[i] = RGBQuad{ level, level, level, 0 };
    }
    return true;
}

std::optional<TGAHeader> ReadUpToPixels(
    ByteReader& reader, std::span<RGBQuad, 256> colours, TGAReason& why)
{
    why = TGAReason::NotTGA;
    const auto headerBytes = reader.Take(kTGAHeaderSize);
    if (!headerBytes)
        return std::nullopt;
    const std::optional<TGAHeader> header = ReadTGAHeader(*headerBytes);
    why = CouldBeTGA(*header) ? TGAReason::UnsupportedType : TGAReason::NotTGA;
    if (!CheckHeader(*header))
        return std::nullopt;
    why = TGAReason::Truncated;
    if (!reader.Skip(header->IDField))
        return std::nullopt;
    const int depth = header->PixelDepth;
    why = TGAReason::UnsupportedType;
    if (IsColourMapped(header->ImageType)) {
        if (depth != 8 || header->ColorMap == 0 || header->ColMapLen < 0
            || (header->ColMapEnt != 24 && header->ColMapEnt != 32))
            return std::nullopt;
        why = TGAReason::Truncated;
        if (!LoadPalette(reader, *header, colours))
            return std::nullopt;
    } else if (IsGrey(header->ImageType)) {
        if (depth != 8 || header->ColorMap == 1)
            return std::nullopt;
        SetGrayPalette(colours);
    }
    // True-colour images read their pixels right after the image ID, even when the header
    // declares a colour map; at 8 bits their colour table stays black.
    return header;
}

TGAResult DecodeTGAWithReason(std::span<const std::uint8_t> file)
{
    ByteReader reader(file);
    return DecodePicture(reader);
}

std::optional<Picture> DecodeTGA(std::span<const std::uint8_t> file)
{
    return DecodeTGAWithReason(file).picture;
}

TGAResult LoadTGAWithReason(const std::filesystem::path& FilePath)
{
    // One buffer per thread for the thread's life: its pages are touched once, not per file.
    thread_local std::unique_ptr<std::uint8_t[]> buffer;
    if (!buffer)
        buffer.reset(new (std::nothrow) std::uint8_t[kTGAReadBufferSize]);
    if (!buffer)
        return Refused(TGAReason::Unreadable, std::generic_category().message(ENOMEM));
    return LoadTGAWithReason(FilePath, std::span(buffer.get(), kTGAReadBufferSize));
}

std::optional<Picture> LoadTGA(const std::filesystem::path& FilePath)
{
    return LoadTGAWithReason(FilePath).picture;
}

TGAResult LoadTGAWithReason(
    const std::filesystem::path& FilePath, std::span<std::uint8_t> readBuffer)
{
    // Opening a pipe or device could block or never end; only plain files are pictures.
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(FilePath, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return Refused(TGAReason::Unreadable, std::generic_category().message(ENOENT));
    if (error)
        return Refused(TGAReason::Unreadable, SystemMessage(error));
    if (status.type() == std::filesystem::file_type::directory)
        return Refused(TGAReason::Unreadable, std::generic_category().message(EISDIR));
    if (status.type() != std::filesystem::file_type::regular)
        return Refused(TGAReason::Unreadable);
    const std::uintmax_t size = std::filesystem::file_size(FilePath, error);
    if (error)
        return Refused(TGAReason::Unreadable, SystemMessage(error));
    std::ifstream in;
    // Unbuffered, so reads go straight into the read buffer.
    in.rdbuf()->pubsetbuf(nullptr, 0);
    errno = 0;
    in.open(FilePath, std::ios::binary);
    if (!in)
        return Refused(TGAReason::Unreadable,
            errno != 0 ? std::generic_category().message(errno) : std::string());
    ByteReader reader(in, size, readBuffer);
    return DecodePicture(reader);
}

std::optional<Picture> LoadTGA(
    const std::filesystem::path& FilePath, std::span<std::uint8_t> readBuffer)
{
    return LoadTGAWithReason(FilePath, readBuffer).picture;
}

} // namespace snapvale
