#include "qt/picture_image.h"

#include "os/native_path.h"
#include "tga/tga_loader.h"

namespace snapvale {

QImage ToQImage(Picture&& picture)
{
    const int width = picture.width();
    const int height = picture.height();
    const int bytesPerLine = picture.bytesPerLine();
    const Picture::Handover block = picture.HandOverPixels();
    if (!block.pixels)
        return {};
    return QImage(reinterpret_cast<uchar*>(block.pixels), width, height, bytesPerLine,
        QImage::Format_RGB32, block.release, block.pixels);
}

PixelBlock PixelsOf(const QImage& image)
{
    return { image.width(), image.height(),
        reinterpret_cast<const std::uint32_t*>(image.constBits()),
        static_cast<int>(image.bytesPerLine() / 4) };
}

QImage LoadTGAImage(const std::string& path)
{
    std::optional<Picture> picture = LoadTGA(NativePath(path));
    return picture ? ToQImage(std::move(*picture)) : QImage();
}

} // namespace snapvale
