#include <QClipboard>
#include <QGuiApplication>
#include <QUrl>
#include <gtest/gtest.h>

#include "qt/clipboard.h"
#include "qt/screenshot_mime.h"
#include "support/main_window_fixture.h"

namespace snapvale {
namespace {

using test::TempFolder;

// A file manager is offered the file; a program that takes pictures gets the screenshot's own
// picture, decoded only when it asks.
TEST(ScreenshotMime, OffersTheFileAndItsPicture)
{
    TempFolder images;
    const QImage picture = test::WriteScreenshot(images, "Shot001.tga", 40, 30, 2004, 5, 17);
    const std::string path = images.folder() + "Shot001.tga";
    const QUrl url = QUrl::fromLocalFile(QString::fromStdString(path));

    const std::unique_ptr<QMimeData> data(ScreenshotMimeData(path));
    EXPECT_TRUE(data->formats().contains("text/uri-list"));
    EXPECT_TRUE(data->formats().contains("application/x-qt-image"));
    EXPECT_EQ(data->urls(), QList<QUrl>{ url });
    ASSERT_TRUE(data->hasImage());
    EXPECT_EQ(qvariant_cast<QImage>(data->imageData()), picture);

    PutFileOnClipboard(path, picture);
    const QMimeData* pasted = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(pasted, nullptr);
    EXPECT_EQ(pasted->urls(), QList<QUrl>{ url });
    EXPECT_EQ(pasted->data("x-special/gnome-copied-files"), "copy\n" + url.toEncoded());
    EXPECT_EQ(QGuiApplication::clipboard()->image(), picture);
}

} // namespace
} // namespace snapvale
