#include "viewer/main_area.h"

#include <algorithm>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

namespace snapvale {

namespace {

// One press of Up or Down, and one line of the wheel.
constexpr int kScrollStep = 40;
// While a drag is held past the edge, the area scrolls this often, by the pointer's distance
// from the edge up to the largest step.
constexpr int kDragScrollInterval = 30; // milliseconds
constexpr int kDragScrollLargestStep = 40;

// How far `value` lies outside 0 .. length - 1, with its sign.
int Overshoot(int value, int length)
{
    if (value < 0)
        return value;
    return value >= length ? value - length + 1 : 0;
}

} // namespace

MainArea::MainArea(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setObjectName("mainArea");
    setFrameStyle(QFrame::NoFrame);
    // The keys belong to the panes; the area only takes what the view leaves (Up and Down).
    setFocusPolicy(Qt::NoFocus);
    for (QScrollBar* bar : { horizontalScrollBar(), verticalScrollBar() }) {
        bar->setFocusPolicy(Qt::NoFocus);
        bar->setSingleStep(kScrollStep);
    }
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Beside a pane smaller than the area the window's own background shows, as it would
    // without the area.
    viewport()->setBackgroundRole(QPalette::Window);
    stage_ = new QWidget(viewport());
    stage_->setObjectName("stage");
    dragScrollTimer_.setInterval(kDragScrollInterval);
    connect(&dragScrollTimer_, &QTimer::timeout, this, &MainArea::DragScrollTick);
}

void MainArea::SetShownPane(QWidget* pane)
{
    if (shown_ != pane) {
        if (shown_)
            shown_->removeEventFilter(this);
        shown_ = pane;
        if (shown_)
            shown_->installEventFilter(this);
        dragging_ = false;
        dragScrollTimer_.stop();
    }
    UpdateScrollBars();
    ScrollTo(QPoint(0, 0));
}

QPoint MainArea::ScrollPosition() const
{
    return { horizontalScrollBar()->value(), verticalScrollBar()->value() };
}

void MainArea::ScrollTo(const QPoint& position)
{
    horizontalScrollBar()->setValue(position.x());
    verticalScrollBar()->setValue(position.y());
}

void MainArea::UpdateScrollBars()
{
    // The pane's extent from the area's top-left, where the shown pane sits.
    QSize content;
    if (shown_)
        content =
            QSize(shown_->geometry().right() + 1 - x(), shown_->geometry().bottom() + 1 - y());
    // Bars are shown only when needed; one bar takes room from the other direction, so a pane
    // that fits one way may need the second bar once the first is there.
    bool across = content.width() > width();
    bool down = content.height() > height();
    if (across && !down)
        down = content.height() > height() - horizontalScrollBar()->sizeHint().height();
    if (down && !across)
        across = content.width() > width() - verticalScrollBar()->sizeHint().width();
    // Changing a policy lays the bars and the viewport out at once, which calls back here.
    setHorizontalScrollBarPolicy(across ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(down ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);

    const QSize view = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, content.width() - view.width()));
    horizontalScrollBar()->setPageStep(view.width());
    verticalScrollBar()->setRange(0, std::max(0, content.height() - view.height()));
    verticalScrollBar()->setPageStep(view.height());
    PlaceStage();
}

void MainArea::PlaceStage()
{
    // The stage's origin lies where the area's parent has its own, less the scrolled distance.
    QSize size(x() + viewport()->width(), y() + viewport()->height());
    if (shown_)
        size =
            size.expandedTo(QSize(shown_->geometry().right() + 1, shown_->geometry().bottom() + 1));
    stage_->setGeometry(QRect(-pos() - ScrollPosition(), size));
}

void MainArea::scrollContentsBy(int, int) { PlaceStage(); }

void MainArea::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
    // The viewport's resizes come here too, as bars come and go; only the area's own count.
    if (size() != lastSize_) {
        lastSize_ = size();
        emit Resized(lastSize_);
    }
}

void MainArea::wheelEvent(QWheelEvent* event)
{
    QPoint delta = event->angleDelta();
    if (event->modifiers() & Qt::ShiftModifier) {
        // Shift turns the wheel across; some systems have turned it already.
        if (delta.x() == 0)
            delta = QPoint(delta.y(), 0);
        else
            delta.setY(0);
    }
    // A wheel notch is 120 units and scrolls the system's number of lines.
    const int perNotch = QApplication::wheelScrollLines() * kScrollStep;
    ScrollTo(ScrollPosition() - delta * perNotch / 120);
    event->accept();
}

void MainArea::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Up && event->modifiers() == Qt::NoModifier)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (event->key() == Qt::Key_Down && event->modifiers() == Qt::NoModifier)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    else
        event->ignore();
}

bool MainArea::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != shown_)
        return false;
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::Move:
        UpdateScrollBars();
        break;
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            dragging_ = true;
        break;
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            dragging_ = false;
            dragScrollTimer_.stop();
        }
        break;
    case QEvent::MouseMove: {
        const auto* move = static_cast<QMouseEvent*>(event);
        if (!dragging_ || replaying_ || !(move->buttons() & Qt::LeftButton))
            break;
        dragPointer_ = move->globalPosition().toPoint();
        if (!DragScrollStep())
            break;
        dragScrollTimer_.start();
        // The pane moved under the pointer: it hears the move where the pointer now is.
        ReplayDragMove();
        return true;
    }
    default:
        break;
    }
    return false;
}

bool MainArea::DragScrollStep()
{
    const QPoint at = viewport()->mapFromGlobal(dragPointer_);
    const auto step = [](int overshoot) {
        return std::clamp(overshoot, -kDragScrollLargestStep, kDragScrollLargestStep);
    };
    const QPoint before = ScrollPosition();
    ScrollTo(before
        + QPoint(step(Overshoot(at.x(), viewport()->width())),
            step(Overshoot(at.y(), viewport()->height()))));
    return ScrollPosition() != before;
}

void MainArea::DragScrollTick()
{
    if (!dragging_ || !shown_ || !DragScrollStep()) {
        dragScrollTimer_.stop();
        return;
    }
    ReplayDragMove();
}

void MainArea::ReplayDragMove()
{
    replaying_ = true;
    QMouseEvent move(QEvent::MouseMove, shown_->mapFromGlobal(QPointF(dragPointer_)),
        QPointF(dragPointer_), Qt::NoButton, Qt::LeftButton, QGuiApplication::keyboardModifiers());
    QCoreApplication::sendEvent(shown_, &move);
    replaying_ = false;
}

} // namespace snapvale
