#include "picture_check.h"

#include <fstream>
#include <iterator>
#include <sstream>

namespace {

using namespace snapvale;

std::uint32_t Opaque(std::uint32_t argb) { return 0xFF000000u | (argb & 0xFFFFFFu); }

std::uint32_t Widen5(std::uint32_t argb)
{
    std::uint32_t out = 0xFF000000u;
    for (int shift : { 16, 8, 0 }) {
        const std::uint32_t c = ((argb >> shift) & 0xFFu) >> 3;
        out |= ((c << 3) | (c >> 2)) << shift;
    }
    return out;
}

void WritePpm(const Picture& picture, const std::filesystem::path& file)
{
    std::ofstream out(file, std::ios::binary);
    out << "P6\n" << picture.width() << ' ' << picture.height() << "\n255\n";
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const std::uint32_t p = picture.pixel(x, y);
            out.put(static_cast<char>(p >> 16))
                .put(static_cast<char>(p >> 8))
                .put(static_cast<char>(p));
        }
}

} // namespace

namespace snapvale::test {

Pixels ExpectedPicture(const TGAImage& image, const TGALayout& layout)
{
    Pixels out{ image.width, image.height, {} };
    const std::size_t count =
        static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height);
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t p = 0xFF000000u;
        if (layout.pixelDepth == 8) {
            const std::uint8_t v = image.indices[i];
            if (layout.imageType == 3 || layout.imageType == 11)
                p = 0xFF000000u | v * 0x010101u;
            else if ((layout.imageType == 1 || layout.imageType == 9) && v < image.palette.size())
                p = Opaque(image.palette[v]);
        } else {
            p = layout.pixelDepth == 16 ? Widen5(image.pixels[i]) : Opaque(image.pixels[i]);
        }
        out.argb.push_back(p);
    }
    return out;
}

std::string ComparePicture(const Picture& picture, const Pixels& expected, const std::string& name,
    std::uint8_t channelMask)
{
    std::ostringstream error;
    const std::uint32_t mask = channelMask * 0x010101u;
    if (picture.width() != expected.width || picture.height() != expected.height) {
        error << "size " << picture.width() << 'x' << picture.height() << ", expected "
              << expected.width << 'x' << expected.height;
    } else {
        for (int y = 0; y < expected.height && error.tellp() == 0; ++y)
            for (int x = 0; x < expected.width; ++x) {
                const std::uint32_t want =
                    expected.argb[static_cast<std::size_t>(y * expected.width + x)];
                const std::uint32_t got = picture.pixel(x, y);
                if ((got >> 24) != 0xFF || (got & mask) != (want & mask)) {
                    error << std::hex << "pixel (" << std::dec << x << ", " << y << ") is 0x"
                          << std::hex << got << ", expected 0x" << want;
                    break;
                }
            }
    }
    if (error.tellp() != 0) {
        const auto file = std::filesystem::path(SNAPVALE_TEST_OUTPUT_DIR) / (name + ".ppm");
        WritePpm(picture, file);
        error << "; decoded picture in " << file.string();
    }
    return error.str();
}

std::optional<Pixels> ReadPnm(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    Pixels out;
    in >> magic >> out.width >> out.height >> maxValue;
    in.get();
    const int channels = magic == "P6" ? 3 : magic == "P5" ? 1 : 0;
    if (!in || channels == 0 || maxValue != 255)
        return std::nullopt;
    std::vector<unsigned char> samples(static_cast<std::size_t>(out.width * out.height * channels));
    in.read(reinterpret_cast<char*>(samples.data()), static_cast<std::streamsize>(samples.size()));
    if (!in)
        return std::nullopt;
    for (std::size_t i = 0; i < samples.size(); i += static_cast<std::size_t>(channels))
        out.argb.push_back(channels == 1
                ? 0xFF000000u | samples[i] * 0x010101u
                : 0xFF000000u | (samples[i] << 16) | (samples[i + 1] << 8) | samples[i + 2]);
    return out;
}

std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

} // namespace snapvale::test
