#pragma once

// pctView: one picture, its top-left pixel at the pane's inner top-left corner, over the pane's
// background. The pane takes the picture's size, never less than its design size. A picture
// larger than the fit bounds, when there are any, is shown scaled down to fit them. A left-button
// drag marks a region on it (shpRect); the region, like every position the pane reports, is in
// pixels of the picture at full size, whatever the scale it is shown at.

#include <QFrame>
#include <QImage>

#include "catalogue/date_tree.h"
#include "export/selection.h"

namespace snapvale {

class ImageView : public QFrame
{
    Q_OBJECT

public:
    // The pane starts at `designSize` (frame included) and never shrinks below it.
    explicit ImageView(const QSize& designSize, QWidget* parent = nullptr);

    // Shows `picture`; a null image empties the view.
    void SetPicture(const QImage& picture);
    bool HasPicture() const { return !picture_.isNull(); }
    const QImage& picture() const { return picture_; }

    // Pictures larger than `bounds` (the inner area's room) are shown scaled down, smoothly, to
    // fit; an empty size shows every picture at full size. Smaller pictures are never enlarged.
    void SetFitBounds(const QSize& bounds);
    // Shown pixels per picture pixel: 1, or less while a large picture is fitted.
    double Scale() const { return scale_; }

    // The selection rectangle, in view pixels, and the outline that shows it.
    const Selection& selection() const { return selection_; }
    void HideSelection();
    QWidget* shpRect() const { return shpRect_; }

    // The view's inner area at full size, without the selection outline: the whole picture at
    // the top-left over the background colour, at least the design size.
    QImage RenderInnerArea() const;
    // The block of the full-size inner area at (left, top) of exactly width x height pixels;
    // where it reaches past the picture it holds the background colour.
    QImage RenderRegion(int left, int top, int width, int height) const;

    void pctView_MouseDown(int button, float x, float y);
    void pctView_MouseMove(int buttons, float x, float y);
    void pctView_MouseUp(int button, float x, float y, const QPoint& globalPosition);

signals:
    // A drag ended with a region marked: the region menu is to open at `globalPosition`.
    void RegionMenuRequested(const QPoint& globalPosition);
    // A key asked for another file of the date shown.
    void StepRequested(FileStep step);
    // Escape: back to the date's thumbnails.
    void BackRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Sizes the pane to the picture as shown, scaling it first when it is fitted.
    void Relayout();
    const QImage& Shown() const { return scale_ == 1.0 ? picture_ : scaled_; }
    QSize FullInnerSize() const;
    void SyncOutline();
    // A point of the widget in picture pixels.
    QPointF ToPicturePixels(const QPointF& widgetPosition) const;

    QImage picture_;
    QSize designSize_;
    QSize fitBounds_;
    double scale_ = 1.0;
    // The picture scaled for fitting, kept until the picture or its fitted size changes, so that
    // painting never scales.
    QImage scaled_;
    qint64 scaledFrom_ = 0; // the cacheKey of the picture scaled_ was made from
    Selection selection_;
    // Covers the inner area, so that what sits on the picture is cut at the pane's border.
    QWidget* canvas_ = nullptr;
    QWidget* shpRect_ = nullptr;
};

} // namespace snapvale
