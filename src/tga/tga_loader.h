#pragma once

// The TGA decoder: one Truevision TGA file (image types 1, 2, 3 and their run-length forms 9, 10,
// 11; 8, 16, 24 or 32 bits per pixel) into a Picture, or no picture and the reason why. A
// damaged, short or hostile file gives no picture; nothing here throws, and nothing is allocated
// that the file's size cannot justify. Each pixel is turned into its word once, in its place in
// the picture, so the picture is the one block a decode allocates. Pictures of more than
// kMaxPicturePixels are refused.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

#include "tga/byte_reader.h"
#include "tga/picture.h"
#include "tga/pixel_rows.h"
#include "tga/tga_failure.h"

namespace snapvale {

// The fixed 18-byte header at the start of every TGA file; 16-bit fields are signed, so stored
// values of 32768 and more read as negative.
struct TGAHeader
{
    std::uint8_t IDField; // length of the image ID after the header
    std::uint8_t ColorMap; // 0 none, anything else present
    std::uint8_t ImageType;
    std::int16_t ColMapOri;
    std::int16_t ColMapLen;
    std::uint8_t ColMapEnt; // bits per colour-map entry
    std::int16_t XOrigin;
    std::int16_t YOrigin;
    std::int16_t Width;
    std::int16_t Height;
    std::uint8_t PixelDepth;
    std::uint8_t Descriptor; // bit 4: rows stored right to left; bit 5: top row first
};

constexpr std::size_t kTGAHeaderSize = 18;
constexpr std::size_t kTGAReadBufferSize = 256 * 1024;
// A whole colour map is taken at once.
constexpr std::size_t kTGAMinReadBufferSize = 256 * 4;
constexpr std::uint8_t kRightToLeft = 0x10;
constexpr std::uint8_t kTopToBottom = 0x20;

// The header from the first 18 bytes; nothing when there are fewer.
std::optional<TGAHeader> ReadTGAHeader(std::span<const std::uint8_t> bytes);

// True when the header describes an image this decoder may decode: a known type, positive
// width and height, a depth of 8, 16, 24 or 32, and a colour map only at 8 bits with entries.
bool CheckHeader(const TGAHeader& header);

// Fills the colour table from the colour map at the reader's position: entries of 24 or 32 bits,
// the first at index 0. Entries beyond the 256 an 8-bit pixel can address are skipped. False for
// other entry sizes, a negative entry count or a map that ends early.
bool LoadPalette(ByteReader& reader, const TGAHeader& header, std::span<RGBQuad, 256> colours);
// Fills the colour table with the grey ramp (index i is grey i).
bool SetGrayPalette(std::span<RGBQuad, 256> colours);

// Reads the header, skips the image ID and fills `colours` as the image type asks (from the
// colour map, with the grey ramp, or not at all for true colour, whose 8-bit pixels then show
// black), leaving the reader at the first pixel byte. Nothing when the file is refused, with
// `why` saying why.
std::optional<TGAHeader> ReadUpToPixels(
    ByteReader& reader, std::span<RGBQuad, 256> colours, TGAReason& why);

// A picture, or why there is none.
struct TGAResult
{
    std::optional<Picture> picture;
    TGAFailure failure; // when there is no picture
};

// The picture in a TGA file held in memory.
TGAResult DecodeTGAWithReason(std::span<const std::uint8_t> file);
std::optional<Picture> DecodeTGA(std::span<const std::uint8_t> file);

// The picture in a TGA file on disk. Only a regular file is opened (a pipe or a device could
// block or never end). The file is read in pieces through a buffer of kTGAReadBufferSize bytes
// that each thread keeps for its life, so a decode holds the picture and nothing else that grows
// with the file.
TGAResult LoadTGAWithReason(const std::filesystem::path& FilePath);
std::optional<Picture> LoadTGA(const std::filesystem::path& FilePath);
// As above, reading through `readBuffer` instead; a buffer of kTGAMinReadBufferSize bytes or
// more reads every file the other form reads.
TGAResult LoadTGAWithReason(
    const std::filesystem::path& FilePath, std::span<std::uint8_t> readBuffer);
std::optional<Picture> LoadTGA(
    const std::filesystem::path& FilePath, std::span<std::uint8_t> readBuffer);

} // namespace snapvale
