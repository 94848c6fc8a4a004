#include "viewer/image_view.h"

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

ImageView::ImageView(QWidget* parent)
    : QFrame(parent)
{
    setObjectName("pctView");
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setAutoFillBackground(true);
    setCursor(Qt::CrossCursor);
    canvas_ = new QWidget(this);
    canvas_->setAttribute(Qt::WA_TransparentForMouseEvents);
    canvas_->setGeometry(contentsRect());
    shpRect_ = new SelectionOutline(canvas_);
    shpRect_->hide();
    pctCopy_ = new QWidget(canvas_);
    pctCopy_->setObjectName("pctCopy");
    pctCopy_->hide();
}

void ImageView::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    canvas_->setGeometry(contentsRect());
}

void ImageView::SetPicture(const QImage& picture)
{
    picture_ = picture;
    update();
}

void ImageView::HideSelection()
{
    selection_.Hide();
    SyncOutline();
}

QImage ImageView::RenderInnerArea() const
{
    const QRect inner = contentsRect();
    return RenderRegion(0, 0, inner.width(), inner.height());
}

QImage ImageView::RenderRegion(int left, int top, int width, int height) const
{
    if (width <= 0 || height <= 0)
        return {};
    QImage region(width, height, QImage::Format_RGB32);
    region.fill(palette().color(backgroundRole()));
    const QRect inner(0, 0, contentsRect().width(), contentsRect().height());
    const QRect shown = inner.intersected(QRect(0, 0, picture_.width(), picture_.height()))
                            .intersected(QRect(left, top, width, height));
    if (!shown.isEmpty()) {
        QPainter painter(&region);
        painter.drawImage(shown.topLeft() - QPoint(left, top), picture_, shown);
    }
    return region;
}

void ImageView::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
    if (picture_.isNull())
        return;
    QPainter painter(this);
    const QRect inner = contentsRect();
    painter.setClipRect(inner);
    painter.drawImage(inner.topLeft(), picture_);
}

QPointF ImageView::ToViewPixels(const QPointF& widgetPosition) const
{
    return widgetPosition - QPointF(contentsRect().topLeft());
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

void ImageView::mousePressEvent(QMouseEvent* event)
{
    const QPointF at = ToViewPixels(event->position());
    pctView_MouseDown(
        ButtonCode(event->button()), static_cast<float>(at.x()), static_cast<float>(at.y()));
}

void ImageView::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF at = ToViewPixels(event->position());
    pctView_MouseMove(
        ButtonsCode(event->buttons()), static_cast<float>(at.x()), static_cast<float>(at.y()));
}

void ImageView::mouseReleaseEvent(QMouseEvent* event)
{
    const QPointF at = ToViewPixels(event->position());
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
    shpRect_->setGeometry(static_cast<int>(rect.left), static_cast<int>(rect.top),
        std::max(1, static_cast<int>(rect.width) + 1),
        std::max(1, static_cast<int>(rect.height) + 1));
    shpRect_->show();
    shpRect_->raise();
}

} // namespace snapvale
