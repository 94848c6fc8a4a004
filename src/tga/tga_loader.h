#pragma once

// The TGA decoder: one Truevision TGA file (image types 1, 2, 3 and their run-length forms 9, 10,
// 11; 8, 16, 24 or 32 bits per pixel) into a Picture, or no picture. A damaged, short or hostile
// file gives no picture; nothing here throws, and nothing is allocated that the file's size
// cannot justify.
//
// DecodeTGA and LoadTGA turn the file's bytes into the picture in one pass. The same decode also
// runs in three steps that tests and tools may call one by one: the header is checked, the
// colour table and pixel buffer of a device-independent bitmap are built from the file bytes
// (DecodeTGABitmap), and the bitmap becomes the picture (CreatePictureFromDIB). Both ways give
// the same picture for every file, and refuse pictures of more than kMaxPicturePixels.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

#include "tga/byte_reader.h"
#include "tga/dib.h"
#include "tga/picture.h"

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
bool LoadPalette(ByteReader& reader, const TGAHeader& header, BitmapInfo& info);
// Fills the colour table with the grey ramp (index i is grey i).
bool SetGrayPalette(BitmapInfo& info);

// Fill pixels with height rows of DibRowStride bytes in file order (filler bytes zero), from
// plain or run-length encoded pixel data at the reader's position. False, before anything is
// allocated, when the picture would be larger than kMaxPicturePixels or the rest of the data
// cannot hold the image, and false when it ends early. An uncompressed image whose rows need no
// filler is borrowed from the bytes of a reader over memory.
bool LoadImage(PixelBuffer& pixels, ByteReader& reader, int width, int height, int pixelDepth);
bool LoadImage_RLE(PixelBuffer& pixels, ByteReader& reader, int width, int height, int pixelDepth);

// The bitmap record and pixel buffer of a TGA file. The pixels may be a view into the bytes
// they were decoded from, which must then outlive them.
struct TGABitmap
{
    BitmapInfo info;
    PixelBuffer pixels;
};

std::optional<TGABitmap> DecodeTGABitmap(std::span<const std::uint8_t> file);

// The picture in a TGA file held in memory.
std::optional<Picture> DecodeTGA(std::span<const std::uint8_t> file);

// The picture in a TGA file on disk; no picture when it cannot be read or decoded. The file is
// read in pieces through a buffer of kTGAReadBufferSize bytes that each thread keeps for its
// life, so a decode holds the picture and nothing else that grows with the file.
std::optional<Picture> LoadTGA(const std::filesystem::path& FilePath);
// As above, reading through `readBuffer` instead; a buffer of kTGAMinReadBufferSize bytes or
// more reads every file the other form reads.
std::optional<Picture> LoadTGA(
    const std::filesystem::path& FilePath, std::span<std::uint8_t> readBuffer);

} // namespace snapvale
