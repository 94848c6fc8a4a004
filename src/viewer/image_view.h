#pragma once

// pctView: one picture, its top-left pixel at the pane's inner top-left corner, over the pane's
// background. The pane takes the picture's size as shown, never less than its least size. The
// picture is shown fitted to the room the main area gives (scaled down when it is larger in
// either direction, never enlarged) or at a zoom level from 25 % to 800 %, 1:1 among them;
// Ctrl++, Ctrl+- and Ctrl+0 and Ctrl+wheel (about the pointer) change the zoom. A left-button
// drag marks a region on it (shpRect); the region, like every position the pane reports, is in
// pixels of the picture at full size, whatever the scale it is shown at.
//
// A file to show is decoded on a worker thread: the pane goes on showing what it showed until
// the new picture is there, and a newer file asked for supersedes an older one.

#include <memory>
#include <optional>
#include <string>

#include <QFrame>
#include <QImage>

#include "catalogue/date_tree.h"
#include "export/selection.h"
#include "viewer/picture_loader.h"
#include "viewer/shown_picture.h"

namespace snapvale {

// The file of the date shown that a key asks for, where the picture is shown: Space, Right and
// PageDown the next, Backspace, Left and PageUp the previous, Home and End the first and last.
std::optional<FileStep> FileStepForKey(int key);

class ImageView : public QFrame
{
    Q_OBJECT

public:
    // The pane starts at `designSize` (frame included) and never shrinks below it.
    explicit ImageView(const QSize& designSize, QWidget* parent = nullptr);

    // Shows `picture` at once; a null image empties the view. Any file still being decoded is
    // dropped.
    void SetPicture(const QImage& picture);
    // Decodes the TGA file at `path` on a worker and shows it when it is there, dropping the
    // selection then; a file that gives no picture empties the view, unless it is the file shown
    // read again, whose last picture stays. PictureShown follows.
    void ShowFile(const std::string& path);
    // Whether a file asked for is still being decoded, or the picture shown still being scaled.
    bool IsLoading() const { return loader_.IsBusy(); }
    bool IsBusy() const { return loader_.IsBusy() || shown_.IsScaling(); }
    // Shows the file asked for now, waiting for its decoding: for what needs the picture itself,
    // such as saving or copying it.
    void FinishLoading() { loader_.Finish(); }
    bool HasPicture() const { return !picture_.isNull(); }
    const QImage& picture() const { return picture_; }

    // The room the main area gives the pane: `area` is the area's size, which a fitted picture
    // fills inside the pane's frame; `leastPane` the pane's least size, which it keeps with a
    // smaller picture (never less than its design size).
    void SetRoom(const QSize& area, const QSize& leastPane);
    // Fitted to the room (true), or at 1:1 (false).
    void SetFit(bool fit);
    bool Fitted() const { return fit_; }
    // Shown pixels per picture pixel: the fitted scale, or the zoom level.
    double Scale() const { return scale_; }
    // The next zoom level up or down, and 1:1, about the middle of the part in sight; these
    // leave fitting.
    void ZoomIn();
    void ZoomOut();
    void ZoomActualSize();
    // Zooms to `scale`, leaving fitting, keeping the picture pixel at the pane point `anchor`
    // where it is on the screen (ZoomAnchorMoved tells the area how far to scroll for that).
    // Returns the pane point where that picture pixel is now.
    QPointF ZoomTo(double scale, const QPointF& anchor);
    // The zoom in use as the user reads it, such as "50%".
    QString ZoomText() const;

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
    // The file asked for is decoded and shown (or the view emptied); the pane has its new size.
    void PictureShown();
    // The picture is shown smoothly scaled, or needs no scaling: nothing is left to do.
    void Settled();
    // The zoom or fitting changed.
    void ZoomChanged();
    // After a zoom, the picture pixel that was at pane point `from` is at `to`: scrolling the
    // pane by to - from keeps it under the pointer.
    void ZoomAnchorMoved(const QPointF& from, const QPointF& to);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // `smooth`: the copy to show the picture from, if the worker made it for the zoom in use.
    void Shown(const QImage& picture, const QImage& smooth);
    // Sizes the pane to the picture as shown at the scale the zoom gives.
    void Relayout(const QImage& smooth = QImage());
    QSize FullInnerSize() const;
    void SyncOutline();
    // A point of the widget in picture pixels.
    QPointF ToPicturePixels(const QPointF& widgetPosition) const;
    // The middle of the pane's part in sight, where key zooms keep the picture.
    QPointF MiddleInSight() const;

    QImage picture_;
    std::string wantedPath_; // the file asked for last
    std::string shownPath_; // the file whose picture is shown, "" when set directly
    QSize designSize_;
    QSize leastPane_;
    QSize area_;
    bool fit_ = false;
    double level_ = 1.0; // the zoom when not fitted
    double scale_ = 1.0;
    int wheelTurned_ = 0; // Ctrl+wheel turned and not yet a whole notch
    PictureLoader loader_;
    std::shared_ptr<QImage> madeSmooth_; // filled by the decoding of the file asked for last
    ShownPicture shown_;
    Selection selection_;
    // Covers the inner area, so that what sits on the picture is cut at the pane's border.
    QWidget* canvas_ = nullptr;
    QWidget* shpRect_ = nullptr;
};

} // namespace snapvale
