#pragma once

// Helpers shared by the TGA tests: what a written fixture must decode to, exact comparison
// that leaves the decoded picture in the build folder when it fails, and a reader for the
// binary PPM/PGM references beside the sample files.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/tga_writer.h"
#include "tga/picture.h"

namespace snapvale::test {

struct Pixels
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb; // top row first
};

// The picture the decoder must show for a fixture written with this layout.
Pixels ExpectedPicture(const TGAImage& image, const TGALayout& layout);

// Empty string when equal (channel bits above mask are compared, alpha never); otherwise what
// differs, and the decoded picture is written to <test output>/<name>.ppm.
std::string ComparePicture(const Picture& picture, const Pixels& expected, const std::string& name,
    std::uint8_t channelMask = 0xFF);

// A binary PPM (P6) or PGM (P5), 8 bits a sample; nothing when unreadable.
std::optional<Pixels> ReadPnm(const std::filesystem::path& file);

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file);

inline std::filesystem::path TgaData(const std::string& name)
{
    return std::filesystem::path(SNAPVALE_TEST_DATA_DIR) / "tga" / name;
}

} // namespace snapvale::test
