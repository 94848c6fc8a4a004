#include "qt/screenshot_mime.h"

#include <QUrl>

#include "qt/picture_image.h"
#include "qt/qt_text.h"

namespace snapvale {

namespace {

constexpr char kImageType[] = "application/x-qt-image";

class ScreenshotData final : public QMimeData
{
public:
    ScreenshotData(std::string path, QImage picture)
        : path_(std::move(path))
        , picture_(std::move(picture))
    {
        setUrls({ QUrl::fromLocalFile(PathToQString(path_)) });
    }

    bool hasFormat(const QString& mimeType) const override
    {
        return mimeType == QLatin1String(kImageType) || QMimeData::hasFormat(mimeType);
    }

    QStringList formats() const override
    {
        QStringList all = QMimeData::formats();
        all << QLatin1String(kImageType);
        return all;
    }

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override
    {
        if (mimeType != QLatin1String(kImageType))
            return QMimeData::retrieveData(mimeType, type);
        if (picture_.isNull())
            picture_ = LoadTGAImage(path_);
        return picture_.isNull() ? QVariant() : QVariant(picture_);
    }

private:
    std::string path_;
    mutable QImage picture_;
};

} // namespace

QMimeData* ScreenshotMimeData(const std::string& path, const QImage& picture)
{
    return new ScreenshotData(path, picture);
}

} // namespace snapvale
