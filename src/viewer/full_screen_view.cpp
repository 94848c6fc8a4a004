#include "viewer/full_screen_view.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

#include "viewer/image_view.h"
#include "viewer/zoom.h"

namespace snapvale {

FullScreenView::FullScreenView(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint)
{
    setObjectName("fullScreenView");
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::BlankCursor);
    connect(&shown_, &ShownPicture::Ready, this, qOverload<>(&QWidget::update));
}

void FullScreenView::SetPicture(const QImage& picture)
{
    picture_ = picture;
    Relayout();
}

void FullScreenView::Open(QScreen* screen)
{
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        setGeometry(screen->geometry());
    showFullScreen();
    raise();
    activateWindow();
    setFocus(Qt::ActiveWindowFocusReason);
}

void FullScreenView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Relayout();
}

void FullScreenView::Relayout()
{
    scale_ = FitScale(picture_.width(), picture_.height(), width(), height());
    shown_.Set(picture_, scale_, devicePixelRatioF());
    update();
}

QRect FullScreenView::PictureRect() const
{
    const QSize size = shown_.Size();
    return { QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size };
}

void FullScreenView::paintEvent(QPaintEvent* event)
{
    shown_.Set(picture_, scale_, devicePixelRatioF());
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::black);
    shown_.Paint(painter, PictureRect().topLeft(), event->rect());
}

void FullScreenView::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (const std::optional<FileStep> step = FileStepForKey(event->key())) {
        emit StepRequested(*step);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_F11:
        emit CloseRequested();
        break;
    default:
        QWidget::keyPressEvent(event);
        break;
    }
}

bool FullScreenView::event(QEvent* event)
{
    // F11 is also the window's shortcut for coming here; here it is this view's own key.
    if (event->type() == QEvent::ShortcutOverride) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_F11 || key == Qt::Key_Escape) {
            event->accept();
            return true;
        }
    }
    // The keys come here whenever this window is the active one.
    if (event->type() == QEvent::WindowActivate)
        setFocus(Qt::ActiveWindowFocusReason);
    return QWidget::event(event);
}

void FullScreenView::closeEvent(QCloseEvent* event)
{
    // Closed by the window system (Alt+F4): the owner takes it back as it would after Esc.
    event->ignore();
    emit CloseRequested();
}

} // namespace snapvale
