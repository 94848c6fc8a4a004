#include "qt/picture_files.h"

#include <QBuffer>
#include <QImageWriter>

#include "export/bmp_writer.h"
#include "export/jpeg_codec.h"
#include "export/save_format.h"
#include "os/file_replace.h"
#include "qt/picture_image.h"

namespace snapvale {

std::string EncodePng(const QImage& picture)
{
    if (picture.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(picture))
        return {};
    return bytes.toStdString();
}

Status WritePictureFile(const std::string& path, const QImage& picture, int jpegQuality)
{
    if (picture.isNull())
        return Status::Failure("no picture");
    const SaveFormat format = FormatForPath(path);
    if (format == SaveFormat::Png) {
        const std::string bytes = EncodePng(picture);
        if (bytes.empty())
            return Status::Failure("the PNG encoder failed");
        return ReplaceFileContents(path, bytes);
    }
    const QImage pixels = picture.convertToFormat(QImage::Format_RGB32);
    const PixelBlock block = PixelsOf(pixels);
    return format == SaveFormat::Bitmap ? WriteBmp(path, block)
                                        : WriteJpeg(path, block, jpegQuality);
}

} // namespace snapvale
