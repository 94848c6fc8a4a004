#include "export/jpeg_codec.h"

#include <bit>

#include <turbojpeg.h>

#include "os/file_replace.h"

namespace snapvale {

namespace {

// 0xFFRRGGBB words lie in memory as blue, green, red, unused on little-endian machines.
constexpr int kWordFormat = std::endian::native == std::endian::little ? TJPF_BGRX : TJPF_XRGB;

// One encoder and one decoder for the thread, made on first use: setting one up costs more than
// packing a thumbnail.
struct Handle
{
    explicit Handle(tjhandle h)
        : handle(h)
    {
    }
    ~Handle()
    {
        if (handle)
            tjDestroy(handle);
    }
    tjhandle handle;
};

tjhandle Encoder()
{
    thread_local Handle encoder(tjInitCompress());
    return encoder.handle;
}

tjhandle Decoder()
{
    thread_local Handle decoder(tjInitDecompress());
    return decoder.handle;
}

} // namespace

std::string EncodeJpeg(const PixelBlock& block, int quality, ChromaSubsampling chroma)
{
    if (block.width <= 0 || block.height <= 0 || !block.pixels)
        return {};
    tjhandle encoder = Encoder();
    if (!encoder)
        return {};
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    const int status = tjCompress2(encoder, reinterpret_cast<const unsigned char*>(block.pixels),
        block.width, block.wordsPerLine * 4, block.height, kWordFormat, &jpeg, &size,
        chroma == ChromaSubsampling::Full ? TJSAMP_444 : TJSAMP_420, quality, 0);
    std::string bytes;
    if (status == 0 && jpeg)
        bytes.assign(reinterpret_cast<const char*>(jpeg), size);
    tjFree(jpeg);
    return bytes;
}

bool DecodeJpeg(std::string_view bytes, int& width, int& height, std::vector<std::uint32_t>& pixels)
{
    tjhandle decoder = Decoder();
    if (!decoder)
        return false;
    auto* data = reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.data()));
    const auto size = static_cast<unsigned long>(bytes.size());
    int subsampling = 0;
    int colourspace = 0;
    bool ok =
        tjDecompressHeader3(decoder, data, size, &width, &height, &subsampling, &colourspace) == 0
        && width > 0 && height > 0;
    if (ok) {
        pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
        ok = tjDecompress2(decoder, data, size, reinterpret_cast<unsigned char*>(pixels.data()),
                 width, width * 4, height, kWordFormat, 0)
            == 0;
        // The encoder leaves the fourth byte undefined; pictures here are opaque.
        for (std::uint32_t& pixel : pixels)
            pixel |= 0xFF000000u;
    }
    return ok;
}

Status WriteJpeg(const std::string& path, const PixelBlock& block, int quality)
{
    const std::string bytes = EncodeJpeg(block, quality);
    if (bytes.empty())
        return Status::Failure("the JPEG encoder refused the picture");
    return ReplaceFileContents(path, bytes);
}

} // namespace snapvale
