#pragma once

// pctView: one picture at full size, unscaled, its top-left pixel at the pane's inner top-left
// corner, over the pane's background. A left-button drag marks a region on it (shpRect).

#include <QFrame>
#include <QImage>

#include "export/selection.h"

namespace snapvale {

class ImageView : public QFrame
{
    Q_OBJECT

public:
    explicit ImageView(QWidget* parent = nullptr);

    // Shows `picture`; a null image empties the view.
    void SetPicture(const QImage& picture);
    bool HasPicture() const { return !picture_.isNull(); }
    const QImage& picture() const { return picture_; }

    // The selection rectangle, in view pixels, and the outline that shows it.
    const Selection& selection() const { return selection_; }
    void HideSelection();
    QWidget* shpRect() const { return shpRect_; }
    // The hidden scratch surface that a region is cut into before it is copied or saved.
    QWidget* pctCopy() const { return pctCopy_; }

    // What the view's inner area shows, without the selection outline: the picture at the
    // top-left over the background colour, cut at the edge.
    QImage RenderInnerArea() const;
    // The block of the inner area at (left, top) of exactly width x height pixels; where it
    // reaches past the inner area it holds the background colour.
    QImage RenderRegion(int left, int top, int width, int height) const;

    void pctView_MouseDown(int button, float x, float y);
    void pctView_MouseMove(int buttons, float x, float y);
    void pctView_MouseUp(int button, float x, float y, const QPoint& globalPosition);

signals:
    // A drag ended with a region marked: the region menu is to open at `globalPosition`.
    void RegionMenuRequested(const QPoint& globalPosition);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void SyncOutline();
    QPointF ToViewPixels(const QPointF& widgetPosition) const;

    QImage picture_;
    Selection selection_;
    // Covers the inner area, so that what sits on the picture is cut at the pane's border.
    QWidget* canvas_ = nullptr;
    QWidget* shpRect_ = nullptr;
    QWidget* pctCopy_ = nullptr;
};

} // namespace snapvale
