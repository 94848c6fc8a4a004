#pragma once

// The main area: the right-hand side of the window, where the view pane and the preview pane
// take turns. The panes sit on a stage that shares the coordinates of the area's parent, so a
// pane at the area's top-left has the same position it would have beside the area, and panes
// still switch by moving. When the pane shown is larger than the area, the area scrolls over
// it: scroll bars, the wheel (Shift+wheel across), Up and Down, and a drag held past the edge.

#include <QAbstractScrollArea>
#include <QPoint>
#include <QTimer>

namespace snapvale {

class MainArea : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit MainArea(QWidget* parent = nullptr);

    // The panes' parent.
    QWidget* stage() const { return stage_; }

    // `pane` (a child of the stage, placed at the area's top-left) is the one shown: the scroll
    // range follows its size from now on, and the area goes back to its top-left.
    void SetShownPane(QWidget* pane);
    QWidget* ShownPane() const { return shown_; }
    // How far the area is scrolled, in pixels.
    QPoint ScrollPosition() const;
    void ScrollTo(const QPoint& position);
    void ScrollBy(const QPoint& distance) { ScrollTo(ScrollPosition() + distance); }

signals:
    // The area has a new size, which the panes may grow into.
    void Resized(const QSize& size);

protected:
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void UpdateScrollBars();
    void PlaceStage();
    // One step of scrolling towards the pointer held past the edge during a drag; false when the
    // area cannot scroll that way.
    bool DragScrollStep();
    void DragScrollTick();
    // Tells the pane of the pointer's place on it after the area scrolled under it.
    void ReplayDragMove();

    QWidget* stage_ = nullptr;
    QSize lastSize_;
    QWidget* shown_ = nullptr;
    bool dragging_ = false;
    bool replaying_ = false;
    QPoint dragPointer_; // global position of the last move of the drag
    QTimer dragScrollTimer_;
};

} // namespace snapvale
