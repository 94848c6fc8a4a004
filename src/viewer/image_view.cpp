#include "viewer/image_view.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <memory>
#include <utility>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include "qt/picture_image.h"
#include "viewer/zoom.h"

namespace snapvale {

namespace {

int ButtonCode(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return kLeftButton;
    case Qt::RightButton:
        return kRightButton;
    case Qt::MiddleButton:
        return kMiddleButton;
    default:
        return 0;
    }
}

int ButtonsCode(Qt::MouseButtons buttons)
{
    return (buttons & Qt::LeftButton ? kLeftButton : 0)
        | (buttons & Qt::RightButton ? kRightButton : 0)
        | (buttons & Qt::MiddleButton ? kMiddleButton : 0);
}

// The selection's outline: drawn over the picture, transparent to the mouse so the drag goes on
// reaching the view beneath it.
class SelectionOutline : public QWidget
{
public:
    explicit SelectionOutline(QWidget* parent)
        : QWidget(parent)
    {
        setObjectName("shpRect");
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QRect outline = rect().adjusted(0, 0, -1, -1);
        painter.setPen(QPen(Qt::white, 1));
        painter.drawRect(outline);
        painter.setPen(QPen(Qt::black, 1, Qt::DashLine));
        painter.drawRect(outline);
    }
};

} // namespace

std::optional<FileStep> FileStepForKey(int key)
{
    switch (key) {
    case Qt::Key_Space:
    case Qt::Key_Right:
    case Qt::Key_PageDown:
        return FileStep::Next;
    case Qt::Key_Backspace:
    case Qt::Key_Left:
    case Qt::Key_PageUp:
        return FileStep::Previous;
    case Qt::Key_Home:
        return FileStep::First;
    case Qt::Key_End:
        return FileStep::Last;
    default:
        return std::nullopt;
    }
}

ImageView::ImageView(const QSize& designSize, QWidget* parent)
    : QFrame(parent)
    , designSize_(designSize)
    , leastPane_(designSize)
{
    setObjectName("pctView");
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setAutoFillBackground(true);
    setCursor(Qt::CrossCursor);
    // Keys step through the date's files while the view has the focus.
    setFocusPolicy(Qt::StrongFocus);
    resize(designSize_);
    canvas_ = new QWidget(this);
    canvas_->setAttribute(Qt::WA_TransparentForMouseEvents);
    canvas_->setGeometry(contentsRect());
    shpRect_ = new SelectionOutline(canvas_);
    shpRect_->hide();
    connect(&loader_, &PictureLoader::Done, this, [this](const QImage& picture) {
        // A region marked on another file's picture while this one was decoded means nothing
        // here; the same file read again keeps it.
        if (wantedPath_ != shownPath_)
            HideSelection();
        // The file shown, read again and giving no picture now (gone, or caught while it is
        // written), leaves the picture it gave.
        else if (picture.isNull()) {
            emit PictureShown();
            if (!IsBusy())
                emit Settled();
            return;
        }
        shownPath_ = wantedPath_;
        Shown(picture, madeSmooth_ ? *madeSmooth_ : QImage());
    });
    connect(&shown_, &ShownPicture::Ready, this, [this] {
        update();
        if (!IsBusy())
            emit Settled();
    });
}

void ImageView::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    canvas_->setGeometry(contentsRect());
}

void ImageView::SetPicture(const QImage& picture)
{
    loader_.Cancel();
    wantedPath_.clear();
    shownPath_.clear();
    Shown(picture, QImage());
}

void ImageView::ShowFile(const std::string& path)
{
    wantedPath_ = path;
    // The worker also makes the copy the picture will be shown from at the zoom asked for now,
    // so that it shows smoothly at once, without a large picture sampled on this thread.
    const int frame = 2 * frameWidth();
    const QSize room(area_.width() - frame, area_.height() - frame);
    auto smooth = std::make_shared<QImage>();
    madeSmooth_ = smooth;
    loader_.Start([path, fit = fit_, level = level_, room, ratio = devicePixelRatioF(), smooth] {
        QImage picture = LoadTGAImage(path);
        const double scale =
            fit ? FitScale(picture.width(), picture.height(), room.width(), room.height()) : level;
        *smooth = ShownPicture::SmoothCopy(picture, scale, ratio);
        return picture;
    });
}

void ImageView::Shown(const QImage& picture, const QImage& smooth)
{
    // Held until whatever else shows it has let it go, so that it is freed off this thread.
    QImage before = std::exchange(picture_, picture);
    madeSmooth_.reset();
    Relayout(smooth);
    emit PictureShown();
    ReleaseOffThread(std::move(before));
    if (!IsBusy())
        emit Settled();
}

void ImageView::SetRoom(const QSize& area, const QSize& leastPane)
{
    area_ = area;
    leastPane_ = leastPane.expandedTo(designSize_);
    Relayout();
}

void ImageView::SetFit(bool fit)
{
    fit_ = fit;
    level_ = 1.0;
    Relayout();
}

void ImageView::ZoomIn() { ZoomTo(NextZoomLevel(scale_), MiddleInSight()); }

void ImageView::ZoomOut() { ZoomTo(PreviousZoomLevel(scale_), MiddleInSight()); }

void ImageView::ZoomActualSize() { ZoomTo(1.0, MiddleInSight()); }

QPointF ImageView::ZoomTo(double scale, const QPointF& anchor)
{
    const QPointF at = ToPicturePixels(anchor);
    fit_ = false;
    level_ = std::clamp(scale, kZoomLevels[0], std::end(kZoomLevels)[-1]);
    Relayout();
    const QPointF moved = QPointF(contentsRect().topLeft()) + at * scale_;
    emit ZoomAnchorMoved(anchor, moved);
    return moved;
}

QString ImageView::ZoomText() const
{
    return QStringLiteral("%1%").arg(static_cast<int>(std::lround(scale_ * 100)));
}

QPointF ImageView::MiddleInSight() const
{
    const QRect inSight = visibleRegion().boundingRect().intersected(contentsRect());
    return inSight.isEmpty() ? QPointF(contentsRect().topLeft()) : QRectF(inSight).center();
}

void ImageView::Relayout(const QImage& smooth)
{
    const bool wasFitted = fit_;
    const double was = scale_;
    const int frame = 2 * frameWidth();
    scale_ = fit_ ? FitScale(
                 picture_.width(), picture_.height(), area_.width() - frame, area_.height() - frame)
                  : level_;
    shown_.Set(picture_, scale_, devicePixelRatioF(), smooth);
    const QSize shown = shown_.Size();
    resize(QSize(shown.width() + frame, shown.height() + frame).expandedTo(leastPane_));
    SyncOutline();
    update();
    if (scale_ != was || fit_ != wasFitted)
        emit ZoomChanged();
}

QSize ImageView::FullInnerSize() const
{
    const int frame = 2 * frameWidth();
    return picture_.size().expandedTo(
        QSize(designSize_.width() - frame, designSize_.height() - frame));
}

void ImageView::HideSelection()
{
    selection_.Hide();
    SyncOutline();
}

QImage ImageView::RenderInnerArea() const
{
    const QSize inner = FullInnerSize();
    return RenderRegion(0, 0, inner.width(), inner.height());
}

QImage ImageView::RenderRegion(int left, int top, int width, int height) const
{
    if (width <= 0 || height <= 0)
        return {};
    QImage region(width, height, QImage::Format_RGB32);
    region.fill(palette().color(backgroundRole()));
    const QRect shown = picture_.rect().intersected(QRect(left, top, width, height));
    if (!shown.isEmpty()) {
        QPainter painter(&region);
        painter.drawImage(shown.topLeft() - QPoint(left, top), picture_, shown);
    }
    return region;
}

void ImageView::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    // A window moved to a screen of another pixel ratio has the picture scaled for that one.
    shown_.Set(picture_, scale_, devicePixelRatioF());
    QPainter painter(this);
    shown_.Paint(painter, contentsRect().topLeft(), event->rect().intersected(contentsRect()));
}

QPointF ImageView::ToPicturePixels(const QPointF& widgetPosition) const
{
    return (widgetPosition - QPointF(contentsRect().topLeft())) / scale_;
}

void ImageView::pctView_MouseDown(int button, float x, float y)
{
    selection_.MouseDown(button, x, y, HasPicture());
    SyncOutline();
}

void ImageView::pctView_MouseMove(int buttons, float x, float y)
{
    selection_.MouseMove(buttons, x, y);
    SyncOutline();
}

void ImageView::pctView_MouseUp(int button, float x, float y, const QPoint& globalPosition)
{
    if (selection_.MouseUp(button, x, y))
        emit RegionMenuRequested(globalPosition);
}

void ImageView::keyPressEvent(QKeyEvent* event)
{
    // Ctrl with +, - or 0 zooms, whether + and - are typed with Shift or on the keypad.
    if ((event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) == Qt::ControlModifier) {
        switch (event->key()) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            ZoomIn();
            return;
        case Qt::Key_Minus:
            ZoomOut();
            return;
        case Qt::Key_0:
            ZoomActualSize();
            return;
        default:
            break;
        }
    }
    // Other combinations with Ctrl, Alt or Meta are the menus' shortcuts.
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        QFrame::keyPressEvent(event);
        return;
    }
    if (const std::optional<FileStep> step = FileStepForKey(event->key())) {
        emit StepRequested(*step);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Escape:
        emit BackRequested();
        break;
    default:
        // Up and Down go on to the area, which scrolls.
        QFrame::keyPressEvent(event);
        break;
    }
}

void ImageView::wheelEvent(QWheelEvent* event)
{
    // Without Ctrl the wheel scrolls the area, which it goes on to.
    if (!(event->modifiers() & Qt::ControlModifier)) {
        event->ignore();
        return;
    }
    // A wheel notch is 120 units; finer wheels zoom once their turns add up to one.
    // After a step the pointer is over the place on the pane where its picture pixel went.
    wheelTurned_ += event->angleDelta().y();
    QPointF pointer = event->position();
    for (; wheelTurned_ >= 120; wheelTurned_ -= 120)
        pointer = ZoomTo(NextZoomLevel(scale_), pointer);
    for (; wheelTurned_ <= -120; wheelTurned_ += 120)
        pointer = ZoomTo(PreviousZoomLevel(scale_), pointer);
    event->accept();
}

void ImageView::mousePressEvent(QMouseEvent* event)
{
    const QPointF at = ToPicturePixels(event->position());
    pctView_MouseDown(
        ButtonCode(event->button()), static_cast<float>(at.x()), static_cast<float>(at.y()));
}

void ImageView::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF at = ToPicturePixels(event->position());
    pctView_MouseMove(
        ButtonsCode(event->buttons()), static_cast<float>(at.x()), static_cast<float>(at.y()));
}

void ImageView::mouseReleaseEvent(QMouseEvent* event)
{
    const QPointF at = ToPicturePixels(event->position());
    pctView_MouseUp(ButtonCode(event->button()), static_cast<float>(at.x()),
        static_cast<float>(at.y()), event->globalPosition().toPoint());
}

void ImageView::SyncOutline()
{
    const SelectionRect& rect = selection_.rect();
    if (!rect.visible) {
        shpRect_->hide();
        return;
    }
    // Drawn where the region lies on the picture as shown.
    const auto shown = [this](float pixels) { return static_cast<int>(pixels * scale_); };
    shpRect_->setGeometry(shown(rect.left), shown(rect.top), std::max(1, shown(rect.width) + 1),
        std::max(1, shown(rect.height) + 1));
    shpRect_->show();
    shpRect_->raise();
}

} // namespace snapvale
