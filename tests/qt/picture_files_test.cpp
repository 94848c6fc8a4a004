#include <QImage>
#include <gtest/gtest.h>

#include "qt/picture_files.h"
#include "support/temp_folder.h"

namespace snapvale {
namespace {

using test::ReadFileBytes;
using test::TempFolder;

// The saved file's format follows its name, and a PNG holds the picture exactly, a translucent
// one included.
TEST(PictureFiles, FormatByNameAndPngLossless)
{
    QImage picture(67, 41, QImage::Format_ARGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgba(x * 3, y * 5, (x * y) % 256, 255 - x));
    TempFolder folder;
    const struct
    {
        const char* name;
        std::string magic;
    } cases[] = { { "a.PNG", "\x89PNG" }, { "b.png", "\x89PNG" }, { "c.bmp", "BM" },
        { "d.jpg", "\xFF\xD8\xFF" }, { "svtemp", "\xFF\xD8\xFF" } };
    for (const auto& c : cases) {
        const std::string path = folder.folder() + c.name;
        ASSERT_TRUE(WritePictureFile(path, picture, 80)) << c.name;
        EXPECT_EQ(ReadFileBytes(path).substr(0, c.magic.size()), c.magic) << c.name;
    }
    const QImage png(QString::fromStdString(folder.folder() + "a.PNG"), "PNG");
    EXPECT_EQ(png.convertToFormat(QImage::Format_ARGB32), picture);
}

} // namespace
} // namespace snapvale
