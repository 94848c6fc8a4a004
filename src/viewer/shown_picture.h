#pragma once

// A picture as a widget shows it, at a scale, on a screen of some device pixel ratio. Enlarged
// at the screen's own pixels, it is drawn sharp, each picture pixel a block, straight from the
// picture. Shrunk, it is drawn from a smooth copy made at the shown size in device pixels on a
// worker thread, so that scaling a large picture never holds up the window; until the copy is
// there, the picture is sampled directly. Either way only the exposed part is drawn.

#include <QImage>
#include <QObject>
#include <QSize>

#include "viewer/picture_loader.h"

class QPainter;

namespace snapvale {

class ShownPicture : public QObject
{
    Q_OBJECT

public:
    explicit ShownPicture(QObject* parent = nullptr);

    // Shows `picture` at `scale` (shown pixels per picture pixel) on a screen of
    // `devicePixelRatio`; the smooth copy is made again only when one of them changed, unless
    // `smooth` is that copy, made already.
    void Set(const QImage& picture, double scale, double devicePixelRatio,
        const QImage& smooth = QImage());
    // The smooth copy that shows `picture` at `scale` on a screen of `devicePixelRatio`, or a
    // null image when it is not shrunk there. Safe on any thread; slow for a large picture.
    static QImage SmoothCopy(const QImage& picture, double scale, double devicePixelRatio);
    const QImage& picture() const { return picture_; }
    // The picture's shown size in widget pixels: empty without a picture.
    QSize Size() const { return size_; }
    // Whether the smooth copy is still being made.
    bool IsScaling() const { return scaler_.IsBusy(); }
    // Has the smooth copy made now, waiting for it.
    void FinishScaling() { scaler_.Finish(); }

    // Draws the part of the shown picture, placed at `origin`, that lies in `exposed`.
    void Paint(QPainter& painter, const QPoint& origin, const QRect& exposed) const;

signals:
    // The smooth copy is there: the shown picture is to be painted again.
    void Ready();

private:
    QImage picture_;
    double scale_ = 1.0;
    double devicePixelRatio_ = 1.0;
    QSize size_;
    QImage smooth_; // at size_ times the device pixel ratio, or null
    PictureLoader scaler_;
};

} // namespace snapvale
