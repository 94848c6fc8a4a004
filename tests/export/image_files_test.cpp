// The image files the program writes, read back by Qt's own readers as other programs would.

#include <algorithm>
#include <cstdlib>
#include <vector>

#include <QImage>
#include <QImageReader>
#include <gtest/gtest.h>

#include "export/bmp_writer.h"
#include "export/jpeg_codec.h"
#include "export/save_format.h"
#include "support/image_blocks.h"
#include "support/temp_folder.h"

namespace snapvale {
namespace {

using test::TempFolder;

int MaxChannelDifference(QRgb a, QRgb b)
{
    return std::max({ std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
        std::abs(qBlue(a) - qBlue(b)) });
}

TEST(BmpWriter, ReadsBackPixelForPixel)
{
    TempFolder folder;
    for (const int width : { 1, 2, 3, 4, 5, 640 }) {
        SCOPED_TRACE(width);
        const test::Gradient gradient(width, 7);
        const std::string path = folder.folder() + "out" + std::to_string(width) + ".bmp";
        ASSERT_TRUE(WriteBmp(path, gradient.block));
        const QImage image(QString::fromStdString(path), "BMP");
        ASSERT_EQ(image.size(), QSize(width, 7));
        for (int y = 0; y < 7; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(image.pixel(x, y), gradient.block.at(x, y)) << x << "," << y;
    }
}

TEST(JpegCodec, QtReadsTheSavedFileInItsColours)
{
    const test::Stripes stripes;
    TempFolder folder;
    const std::string path = folder.folder() + "picture";
    ASSERT_TRUE(WriteJpeg(path, stripes.block, kJpegQuality));
    // The Windows build's Qt carries no JPEG plugin: the program reads JPEG with libjpeg-turbo.
    if (!QImageReader::supportedImageFormats().contains("jpeg"))
        GTEST_SKIP() << "this Qt reads no JPEG";
    const QImage byQt(QString::fromStdString(path), "JPEG");
    ASSERT_EQ(byQt.size(), QSize(stripes.block.width, stripes.block.height));
    for (int stripe = 0; stripe < test::Stripes::kCount; ++stripe) {
        SCOPED_TRACE(stripe);
        EXPECT_LE(MaxChannelDifference(byQt.pixel(test::Stripes::Middle(stripe), 16),
                      test::Stripes::kColours[stripe]),
            8);
    }
}

} // namespace
} // namespace snapvale
