#include "viewer/thumbnail_tray.h"

#include <algorithm>
#include <iterator>

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace snapvale {

namespace {

// Width of the frame around the focus cell, in pixels.
constexpr int kFocusFrame = 3;

// A small picture torn in two, centred on `centre`: the mark of a file that gave no picture.
void DrawBrokenSign(QPainter& painter, QPoint centre, const QPalette& palette)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(centre - QPoint(15, 12));
    // The two halves part along a jagged tear, the right one dropped a little; a hill in the left
    // one makes them read as a picture.
    const QPolygonF left{ { 0, 0 }, { 15, 0 }, { 12, 6 }, { 16, 11 }, { 12, 16 }, { 14, 22 },
        { 0, 22 } };
    const QPolygonF right{ { 18, 2 }, { 31, 2 }, { 31, 24 }, { 17, 24 }, { 15, 18 }, { 19, 13 },
        { 15, 8 } };
    const QPolygonF hill{ { 2, 20 }, { 7, 12 }, { 12, 19 }, { 12, 20 } };
    painter.setPen(QPen(palette.color(QPalette::Dark), 1.5));
    painter.setBrush(palette.color(QPalette::Base));
    painter.drawPolygon(left);
    painter.drawPolygon(right);
    painter.setBrush(palette.color(QPalette::Mid));
    painter.drawPolygon(hill);
    painter.restore();
}

} // namespace

ThumbnailTray::ThumbnailTray(
    const TrayGeometry& geometry, QWidget* parent, ThumbnailLoader::Maker make)
    : QWidget(parent)
    , geometry_(geometry)
    , pictures_(kThumbnailCacheBytes / 1024)
    , loader_(nullptr, std::move(make))
{
    setObjectName("pctTray");
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    connect(&loader_, &ThumbnailLoader::Loaded, this, &ThumbnailTray::Loaded);
}

QSize ThumbnailTray::PictureSize() const
{
    return { TwipsToPixels(geometry_.cellWidth()), TwipsToPixels(geometry_.pictureHeight()) };
}

void ThumbnailTray::SetCells(std::vector<TrayCell> cells)
{
    loader_.Clear();
    cells_ = std::move(cells);
    pictures_.clear();
    broken_.clear();
    focusCell_ = cells_.empty() ? -1 : 0;
    update();
}

void ThumbnailTray::RemoveCells(const std::vector<int>& indexes)
{
    if (indexes.empty())
        return;
    for (const int index : indexes) {
        pictures_.remove(Key(index));
        broken_.remove(Key(index));
    }
    // A cell's new number: its old one less the removed cells before it.
    const auto before = [&indexes](int cell) {
        return static_cast<int>(
            std::lower_bound(indexes.begin(), indexes.end(), cell) - indexes.begin());
    };
    loader_.Renumber([&](int cell) {
        return std::binary_search(indexes.begin(), indexes.end(), cell) ? -1 : cell - before(cell);
    });
    std::vector<TrayCell> kept;
    kept.reserve(cells_.size());
    for (std::size_t i = 0, next = 0; i < cells_.size(); ++i) {
        if (next < indexes.size() && static_cast<std::size_t>(indexes[next]) == i)
            ++next;
        else
            kept.push_back(std::move(cells_[i]));
    }
    cells_ = std::move(kept);
    CellsEdited(focusCell_ - before(focusCell_));
}

void ThumbnailTray::InsertCells(std::vector<std::pair<int, TrayCell>> cells)
{
    if (cells.empty())
        return;
    std::vector<int> places;
    places.reserve(cells.size());
    std::vector<TrayCell> merged;
    merged.reserve(cells_.size() + cells.size());
    auto old = cells_.begin();
    for (auto& [index, cell] : cells) {
        places.push_back(index);
        while (static_cast<int>(merged.size()) < index && old != cells_.end())
            merged.push_back(std::move(*old++));
        // A new file may bear the name of one shown before.
        pictures_.remove(QByteArray::fromStdString(cell.file));
        broken_.remove(QByteArray::fromStdString(cell.file));
        merged.push_back(std::move(cell));
    }
    std::move(old, cells_.end(), std::back_inserter(merged));
    cells_ = std::move(merged);
    // An old cell moves down past every new cell that takes a place at or before its own.
    const auto renumber = [&places](int cell) {
        if (cell < 0)
            return cell;
        for (const int place : places) {
            if (place > cell)
                break;
            ++cell;
        }
        return cell;
    };
    loader_.Renumber(renumber);
    CellsEdited(renumber(focusCell_));
}

void ThumbnailTray::CellsEdited(int focusCell)
{
    focusCell_ = cells_.empty() ? -1 : std::clamp(focusCell, 0, CellCount() - 1);
    update();
}

void ThumbnailTray::Reload(int index)
{
    if (index < 0 || index >= CellCount())
        return;
    pictures_.remove(Key(index));
    broken_.remove(Key(index));
    loader_.Forget(index);
    update(PictureRect(index));
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

void ThumbnailTray::SetToolTipSource(std::function<QString(const TrayCell&)> source)
{
    toolTipSource_ = std::move(source);
}

void ThumbnailTray::SetSettlingSource(std::function<bool(const TrayCell&)> source)
{
    settlingSource_ = std::move(source);
}

QString ThumbnailTray::ToolTip(int index) const
{
    if (index < 0 || index >= CellCount() || !toolTipSource_)
        return {};
    return toolTipSource_(Cell(index));
}

void ThumbnailTray::RequestPictures(const std::vector<TrayRequest>& requests)
{
    loader_.DropQueued([this](int cell) { return !InSight(cell); });
    for (const bool inSight : { true, false })
        for (const TrayRequest& request : requests)
            if (request.cell >= 0 && request.cell < CellCount() && InSight(request.cell) == inSight
                && !HasPicture(request.cell) && !IsLoading(request.cell))
                loader_.Queue(request.cell, request.path, PictureSize());
}

void ThumbnailTray::Loaded(int index, const QImage& thumbnail)
{
    if (thumbnail.isNull()) {
        broken_.insert(Key(index));
    } else {
        broken_.remove(Key(index));
        const auto cost = static_cast<int>(std::max<qsizetype>(1, thumbnail.sizeInBytes() / 1024));
        pictures_.insert(Key(index), new QImage(thumbnail), cost);
    }
    update(PictureRect(index));
    emit CellLoaded(index);
}

QImage ThumbnailTray::Thumbnail(int index) const
{
    if (index < 0 || index >= CellCount())
        return {};
    // Looking a picture up keeps it in the cache longest.
    const QImage* picture = pictures_.object(Key(index));
    return picture ? *picture : QImage();
}

bool ThumbnailTray::IsBroken(int index) const
{
    return index >= 0 && index < CellCount() && broken_.contains(Key(index))
        && !(settlingSource_ && settlingSource_(Cell(index)));
}

bool ThumbnailTray::InSight(int index) const
{
    // The tray moves within its parent, which shows the part of it in sight.
    const QRect pane = parentWidget() ? QRect(-pos(), parentWidget()->size()) : rect();
    return PictureRect(index).intersects(pane);
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
        if (const QImage* picture = pictures_.object(Key(i))) {
            painter.drawImage(PictureRect(i).topLeft(), *picture);
        } else {
            // A cell still waiting for its picture shows where it is; one whose file gave none
            // says so.
            painter.setPen(palette().color(QPalette::Mid));
            painter.drawRect(PictureRect(i).adjusted(2, 2, -3, -3));
            if (IsBroken(i))
                DrawBrokenSign(painter, PictureRect(i).center(), palette());
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
    const QString text =
        cell >= 0 && PictureRect(cell).contains(help->pos()) ? ToolTip(cell) : QString();
    if (!text.isEmpty())
        QToolTip::showText(help->globalPos(), text, this, PictureRect(cell));
    else
        QToolTip::hideText();
    return true;
}

} // namespace snapvale
