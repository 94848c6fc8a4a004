#include "viewer/image_view.h"

#include <algorithm>
#include <cmath>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

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

ImageView::ImageView(const QSize& designSize, QWidget* parent)
    : QFrame(parent)
    , designSize_(designSize)
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
}

void ImageView::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    canvas_->setGeometry(contentsRect());
}

void ImageView::SetPicture(const QImage& picture)
{
    picture_ = picture;
    Relayout();
}

void ImageView::SetFitBounds(const QSize& bounds)
{
    fitBounds_ = bounds;
    Relayout();
}

void ImageView::Relayout()
{
    scale_ = 1.0;
    QSize shown = picture_.size();
    if (!picture_.isNull() && !fitBounds_.isEmpty()
        && (shown.width() > fitBounds_.width() || shown.height() > fitBounds_.height())) {
        scale_ = std::min(static_cast<double>(fitBounds_.width()) / shown.width(),
            static_cast<double>(fitBounds_.height()) / shown.height());
        shown = QSize(std::max(1, static_cast<int>(std::lround(shown.width() * scale_))),
            std::max(1, static_cast<int>(std::lround(shown.height() * scale_))));
        if (scaled_.size() != shown || scaledFrom_ != picture_.cacheKey()) {
            scaled_ = picture_.scaled(shown, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            scaledFrom_ = picture_.cacheKey();
        }
    }
    const int frame = 2 * frameWidth();
    resize(QSize(shown.width() + frame, shown.height() + frame).expandedTo(designSize_));
    SyncOutline();
    update();
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
    const QImage& shown = Shown();
    if (shown.isNull())
        return;
    // Only the part in sight is drawn, however large the picture.
    const QRect inner = contentsRect();
    const QRect part =
        event->rect().intersected(inner).intersected(QRect(inner.topLeft(), shown.size()));
    if (part.isEmpty())
        return;
    QPainter painter(this);
    painter.drawImage(part.topLeft(), shown, part.translated(-inner.topLeft()));
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
    // Combinations with Ctrl, Alt or Meta are the menus' shortcuts.
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        QFrame::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Right:
    case Qt::Key_PageDown:
        emit StepRequested(FileStep::Next);
        break;
    case Qt::Key_Backspace:
    case Qt::Key_Left:
    case Qt::Key_PageUp:
        emit StepRequested(FileStep::Previous);
        break;
    case Qt::Key_Home:
        emit StepRequested(FileStep::First);
        break;
    case Qt::Key_End:
        emit StepRequested(FileStep::Last);
        break;
    case Qt::Key_Escape:
        emit BackRequested();
        break;
    default:
        // Up and Down go on to the area, which scrolls.
        QFrame::keyPressEvent(event);
        break;
    }
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
