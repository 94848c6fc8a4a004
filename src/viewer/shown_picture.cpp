#include "viewer/shown_picture.h"

#include <cmath>

#include <QPainter>

#include "viewer/zoom.h"

namespace snapvale {

ShownPicture::ShownPicture(QObject* parent)
    : QObject(parent)
{
    connect(&scaler_, &PictureLoader::Done, this, [this](const QImage& smooth) {
        smooth_ = smooth;
        smooth_.setDevicePixelRatio(devicePixelRatio_);
        emit Ready();
    });
}

namespace {

// The shown size in device pixels of a picture shown `size` large.
QSize DeviceSize(const QSize& size, double devicePixelRatio)
{
    return { static_cast<int>(std::lround(size.width() * devicePixelRatio)),
        static_cast<int>(std::lround(size.height() * devicePixelRatio)) };
}

QSize ShownSizeOf(const QImage& picture, double scale)
{
    const ShownSize shown = ScaledSize(picture.width(), picture.height(), scale);
    return { shown.width, shown.height };
}

} // namespace

QImage ShownPicture::SmoothCopy(const QImage& picture, double scale, double devicePixelRatio)
{
    if (picture.isNull())
        return {};
    const QSize device = DeviceSize(ShownSizeOf(picture, scale), devicePixelRatio);
    // At the screen's own pixels the picture is drawn as it is, or enlarged sharp.
    if (device.width() >= picture.width() && device.height() >= picture.height())
        return {};
    return picture.scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void ShownPicture::Set(
    const QImage& picture, double scale, double devicePixelRatio, const QImage& smooth)
{
    if (picture.cacheKey() == picture_.cacheKey() && scale == scale_
        && devicePixelRatio == devicePixelRatio_ && !picture.isNull() == !picture_.isNull())
        return;
    picture_ = picture;
    scale_ = scale;
    devicePixelRatio_ = devicePixelRatio;
    smooth_ = QImage();
    scaler_.Cancel();
    if (picture_.isNull()) {
        size_ = QSize();
        return;
    }
    size_ = ShownSizeOf(picture_, scale_);
    const QSize device = DeviceSize(size_, devicePixelRatio_);
    // At the screen's own pixels the picture is drawn as it is, or enlarged sharp.
    if (device.width() >= picture_.width() && device.height() >= picture_.height())
        return;
    if (smooth.size() == device) {
        smooth_ = smooth;
        smooth_.setDevicePixelRatio(devicePixelRatio_);
        return;
    }
    scaler_.Start([source = picture_, scale = scale_, ratio = devicePixelRatio_] {
        return SmoothCopy(source, scale, ratio);
    });
}

void ShownPicture::Paint(QPainter& painter, const QPoint& origin, const QRect& exposed) const
{
    const QRect part = exposed.intersected(QRect(origin, size_));
    if (picture_.isNull() || part.isEmpty())
        return;
    const QPointF from = QPointF(part.topLeft() - origin);
    if (!smooth_.isNull()) {
        painter.drawImage(QRectF(part), smooth_,
            QRectF(from * devicePixelRatio_, QSizeF(part.size()) * devicePixelRatio_));
        return;
    }
    // Without smoothing each shown pixel takes the picture pixel under its centre.
    const double across = static_cast<double>(picture_.width()) / size_.width();
    const double down = static_cast<double>(picture_.height()) / size_.height();
    painter.drawImage(QRectF(part), picture_,
        QRectF(from.x() * across, from.y() * down, part.width() * across, part.height() * down));
}

} // namespace snapvale
