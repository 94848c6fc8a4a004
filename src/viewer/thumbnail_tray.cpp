#include "viewer/thumbnail_tray.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "export/jpeg_codec.h"
#include "qt/picture_image.h"

namespace snapvale {

namespace {

// Sixteen rows of three stay unpacked: several times what the pane shows at once, so scrolling
// back a little does not unpack again.
constexpr int kUnpackedCells = 4 * kTrayColumns * 4;
// Packing quality: at thumbnail size the loss does not show.
constexpr int kPackingQuality = 90;
// Width of the frame around the focus cell, in pixels.
constexpr int kFocusFrame = 3;

std::string Pack(const QImage& picture)
{
    return EncodeJpeg(PixelsOf(picture), kPackingQuality, ChromaSubsampling::Full);
}

QImage Unpack(const std::string& packed)
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    if (!DecodeJpeg(packed, width, height, pixels))
        return {};
    QImage picture(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        std::memcpy(picture.scanLine(y), pixels.data() + static_cast<std::size_t>(y) * width,
            static_cast<std::size_t>(width) * 4);
    return picture;
}

} // namespace

ThumbnailTray::ThumbnailTray(const TrayGeometry& geometry, QWidget* parent)
    : QWidget(parent)
    , geometry_(geometry)
    , unpacked_(kUnpackedCells)
{
    setObjectName("pctTray");
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
}

QSize ThumbnailTray::PictureSize() const
{
    return { TwipsToPixels(geometry_.cellWidth()), TwipsToPixels(geometry_.pictureHeight()) };
}

void ThumbnailTray::SetCells(std::vector<TrayCell> cells)
{
    cells_ = std::move(cells);
    unpacked_.clear();
    focusCell_ = cells_.empty() ? -1 : 0;
    update();
}

void ThumbnailTray::SetFocusCell(int index)
{
    if (cells_.empty())
        return;
    index = std::clamp(index, 0, CellCount() - 1);
    if (index != focusCell_) {
        if (focusCell_ >= 0)
            update(CellRect(focusCell_));
        focusCell_ = index;
        update(CellRect(focusCell_));
    }
    emit FocusCellChanged(focusCell_);
}

QRect ThumbnailTray::CellRect(int index) const
{
    return PictureRect(index).united(LabelRect(index));
}

void ThumbnailTray::SetPicture(int index, const QImage& picture)
{
    if (index < 0 || index >= CellCount())
        return;
    unpacked_.remove(index);
    std::string& packed = cells_[static_cast<std::size_t>(index)].packedPicture;
    packed.clear();
    if (!picture.isNull()) {
        QImage scaled =
            picture.scaled(PictureSize(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .convertToFormat(QImage::Format_RGB32);
        packed = Pack(scaled);
        // What was just decoded is what the pane shows next; keep it at hand.
        unpacked_.insert(index, new QImage(std::move(scaled)));
    }
    update(PictureRect(index));
}

void ThumbnailTray::ClearPictures()
{
    for (TrayCell& cell : cells_)
        cell.packedPicture.clear();
    unpacked_.clear();
    update();
}

QImage ThumbnailTray::Thumbnail(int index) const
{
    if (index < 0 || index >= CellCount() || !HasPicture(index))
        return {};
    if (const QImage* picture = unpacked_.object(index))
        return *picture;
    auto* picture = new QImage(Unpack(Cell(index).packedPicture));
    const QImage result = *picture;
    unpacked_.insert(index, picture);
    return result;
}

QRect ThumbnailTray::PictureRect(int index) const
{
    const TrayPoint at = geometry_.PictureAt(index);
    return QRect(TwipsToPixels(at.left), TwipsToPixels(at.top), PictureSize().width(),
        PictureSize().height());
}

QRect ThumbnailTray::LabelRect(int index) const
{
    const TrayPoint at = geometry_.LabelAt(index);
    return QRect(TwipsToPixels(at.left), TwipsToPixels(at.top), PictureSize().width(),
        TwipsToPixels(geometry_.labelHeight()));
}

int ThumbnailTray::CellAt(const QPoint& position) const
{
    return geometry_.CellAt(PixelsToTwips(position.x()), PixelsToTwips(position.y()), CellCount());
}

void ThumbnailTray::paintEvent(QPaintEvent* event)
{
    if (cells_.empty())
        return;
    QPainter painter(this);
    painter.setClipRect(event->rect());
    // Only the rows that the exposed area touches are painted.
    const float pitch = geometry_.rowPitch() / kTwipsPerPixel;
    const int firstRow = std::max(0, static_cast<int>(event->rect().top() / pitch));
    const int lastRow = static_cast<int>(event->rect().bottom() / pitch);
    const int first = firstRow * kTrayColumns;
    const int last = std::min(CellCount() - 1, (lastRow + 1) * kTrayColumns - 1);
    for (int i = first; i <= last; ++i) {
        const TrayCell& cell = cells_[static_cast<std::size_t>(i)];
        if (HasPicture(i)) {
            painter.drawImage(PictureRect(i).topLeft(), Thumbnail(i));
        } else {
            // A file that gave no picture still shows where its cell is.
            painter.setPen(palette().color(QPalette::Mid));
            painter.drawRect(PictureRect(i).adjusted(2, 2, -3, -3));
            painter.setPen(palette().color(QPalette::WindowText));
        }
        // The focus cell's name is marked as a selected item's is, and the cell framed.
        const bool focused = i == focusCell_ && hasFocus();
        if (focused)
            painter.fillRect(LabelRect(i), palette().color(QPalette::Highlight));
        painter.setPen(palette().color(focused ? QPalette::HighlightedText : QPalette::WindowText));
        painter.drawText(LabelRect(i).adjusted(2, 0, -2, 0),
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
            painter.fontMetrics().elidedText(
                cell.fileName, Qt::ElideRight, LabelRect(i).width() - 4));
        if (focused) {
            painter.setPen(QPen(palette().color(QPalette::Highlight), kFocusFrame, Qt::SolidLine,
                Qt::SquareCap, Qt::MiterJoin));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(QRectF(CellRect(i))
                                 .adjusted(kFocusFrame / 2.0, kFocusFrame / 2.0, -kFocusFrame / 2.0,
                                     -kFocusFrame / 2.0));
        }
    }
}

void ThumbnailTray::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint()))
        return;
    const int cell = CellAt(event->position().toPoint());
    if (cell >= 0 && PictureRect(cell).contains(event->position().toPoint())) {
        focusCell_ = cell;
        emit CellClicked(cell);
    }
}

void ThumbnailTray::keyPressEvent(QKeyEvent* event)
{
    if (cells_.empty() || (event->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier))) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int cell = focusCell_;
    const int lastRow = (CellCount() - 1) / kTrayColumns;
    switch (event->key()) {
    case Qt::Key_Left:
        SetFocusCell(cell - 1);
        break;
    case Qt::Key_Right:
        SetFocusCell(cell + 1);
        break;
    case Qt::Key_Up:
        if (cell >= kTrayColumns)
            SetFocusCell(cell - kTrayColumns);
        break;
    case Qt::Key_Down:
        // Into the last row even where it has no cell below this one.
        if (cell / kTrayColumns < lastRow)
            SetFocusCell(cell + kTrayColumns);
        break;
    case Qt::Key_Home:
        SetFocusCell(0);
        break;
    case Qt::Key_End:
        SetFocusCell(CellCount() - 1);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit CellClicked(cell);
        break;
    default:
        QWidget::keyPressEvent(event);
        break;
    }
}

void ThumbnailTray::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    if (focusCell_ >= 0)
        update(CellRect(focusCell_));
}

void ThumbnailTray::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    if (focusCell_ >= 0)
        update(CellRect(focusCell_));
}

bool ThumbnailTray::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const int cell = CellAt(help->pos());
    if (cell >= 0 && PictureRect(cell).contains(help->pos()) && !Cell(cell).toolTip.isEmpty())
        QToolTip::showText(help->globalPos(), Cell(cell).toolTip, this, PictureRect(cell));
    else
        QToolTip::hideText();
    return true;
}

} // namespace snapvale
