#include "viewer/tray_pane.h"

#include <algorithm>
#include <utility>
#include <vector>

#include <QApplication>
#include <QScrollBar>
#include <QWheelEvent>

#include "base/twips.h"
#include "qt/qt_text.h"
#include "viewer/thumbnail_tray.h"
#include "viewer/tray_geometry.h"

namespace snapvale {

namespace {

// The pane's design layout, in twips of the pane: the scroll bar at its right, the label under
// each picture, and the sunken border, which leaves an inner area of 640 x 480 pixels.
constexpr int kTrayScrollLeft = 9360;
constexpr int kTrayScrollWidth = 255;
constexpr int kFileNameLabelHeight = 255;
constexpr int kPaneBorder = 2; // pixels

// Sends the wheel over the tray to its scroll bar, as users of a scrolling list expect.
class WheelToScrollBar final : public QObject
{
public:
    WheelToScrollBar(QScrollBar* target, QObject* parent)
        : QObject(parent)
        , target_(target)
    {
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::Wheel || !target_->isEnabled())
            return false;
        const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
        if (delta != 0)
            target_->setValue(target_->value() + (delta > 0 ? -1 : 1));
        return true;
    }

private:
    QScrollBar* target_;
};

} // namespace

TrayPane::TrayPane(const QRect& geometry, const std::string& imageFolder, QWidget* parent)
    : QFrame(parent)
    , imageFolder_(imageFolder)
{
    setObjectName("pctPreview");
    setGeometry(geometry);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(kPaneBorder);
    setFocusPolicy(Qt::StrongFocus);
    // The tray moves inside the pane's inner area; this viewport cuts it at the border.
    auto* viewport = new QWidget(this);
    viewport->setObjectName("trayViewport");
    viewport->setGeometry(contentsRect());

    const QSize inner = contentsRect().size();
    const TrayGeometry cells =
        TrayGeometry::ForPane(PixelsToTwips(inner.width()), PixelsToTwips(inner.height()),
            static_cast<float>(kTrayScrollWidth), static_cast<float>(kFileNameLabelHeight));
    tray_ = new ThumbnailTray(cells, viewport);
    // The tray fills the pane's inner area until its first date sizes it to its cells.
    tray_->setGeometry(QRect(QPoint(0, 0), inner));
    // The pane takes the focus for the tray, whose keys move between the cells.
    setFocusProxy(tray_);
    // A file deleted since the scan has no time to show.
    tray_->SetToolTipSource([this](const TrayCell& cell) {
        return TextToQString(FileDateTimeText(imageFolder_ + cell.file).value_or(""));
    });
    connect(tray_, &ThumbnailTray::CellClicked, this, &TrayPane::CellClicked);
    connect(tray_, &ThumbnailTray::FocusCellChanged, this, &TrayPane::ShowCellInSight);

    scrollBar_ = new QScrollBar(Qt::Vertical, viewport);
    scrollBar_->setObjectName("vscrTray");
    scrollBar_->setGeometry(
        TwipsToPixels(kTrayScrollLeft), 0, TwipsToPixels(kTrayScrollWidth), inner.height());
    scrollBar_->setSingleStep(1);
    scrollBar_->setPageStep(1);
    scrollBar_->setRange(0, 0);
    scrollBar_->setFocusPolicy(Qt::NoFocus);
    connect(scrollBar_, &QScrollBar::valueChanged, this, &TrayPane::vscrTray_Change);
    // Using the scroll bar hands the keys to the tray; the program's own scrolling (a new date,
    // the focus cell) leaves the focus where it is, in the tree while the user moves through it.
    connect(scrollBar_, &QScrollBar::actionTriggered, this, [this] { setFocus(); });
    tray_->installEventFilter(new WheelToScrollBar(scrollBar_, this));
}

void TrayPane::Fill(const std::string& date, const Catalogue& catalogue)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Only names are gathered: tooltips read the file's time when they show, and pictures are
    // made on worker threads.
    std::vector<TrayCell> cells;
    for (const std::size_t file : catalogue.FilesOf(date)) {
        const std::string& name = catalogue.FileNames[file];
        cells.push_back({ PathToQString(name), name });
    }
    date_ = date;
    tray_->hide();
    tray_->move(0, 0);
    const int count = static_cast<int>(cells.size());
    tray_->SetCells(std::move(cells));
    tray_->resize(tray_->width(), TwipsToPixels(tray_->geometry().TrayHeight(count)));
    tray_->show();

    scrollBar_->setValue(0);
    LoadThumbnails(0);
    FitTrayToCells();
    QApplication::restoreOverrideCursor();
}

void TrayPane::Clear()
{
    date_.clear();
    tray_->SetCells({});
    FitTrayToCells();
}

void TrayPane::Follow(const Catalogue& after, const CatalogueChanges& changes)
{
    if (date_.empty())
        return;
    bool edited = false;
    const auto edit = std::find_if(changes.dates.begin(), changes.dates.end(),
        [this](const DateEdit& e) { return e.date == date_; });
    if (edit != changes.dates.end()) {
        tray_->RemoveCells(std::vector<int>(edit->removedFiles.begin(), edit->removedFiles.end()));
        const std::vector<std::size_t>& files = after.FilesOf(date_);
        std::vector<std::pair<int, TrayCell>> cells;
        for (const std::size_t place : edit->addedFiles) {
            const std::string& name = after.FileNames[files[place]];
            cells.push_back({ static_cast<int>(place), { PathToQString(name), name } });
        }
        tray_->InsertCells(std::move(cells));
        if (edit->removed)
            date_.clear();
        edited = true;
    }
    for (const std::size_t changed : changes.changedFiles) {
        if (after.FileDates[changed] != date_)
            continue;
        tray_->Reload(static_cast<int>(after.PlaceInDate(changed)));
        edited = true;
    }
    if (!edited)
        return;
    FitTrayToCells();
    LoadThumbnails(scrollBar_->value() * kTrayColumns);
}

void TrayPane::vscrTray_Change()
{
    const int v = scrollBar_->value();
    // The tray moves first, so that the batch knows which of its cells are in sight.
    tray_->move(0, TwipsToPixels(tray_->geometry().TrayTopForRow(v)));
    LoadThumbnails(v * kTrayColumns);
}

void TrayPane::LoadThumbnails(int start)
{
    // The tray asks only for cells without a picture and not already on their way; a cell whose
    // file gave no picture is tried again whenever a batch reaches it.
    std::vector<TrayRequest> batch;
    for (int k = start; k < start + kThumbnailBatch && k < tray_->CellCount(); ++k)
        batch.push_back({ k, imageFolder_ + tray_->Cell(k).file });
    tray_->RequestPictures(batch);
}

void TrayPane::FitTrayToCells()
{
    const int count = tray_->CellCount();
    tray_->resize(tray_->width(), TwipsToPixels(tray_->geometry().TrayHeight(count)));
    const TrayScroll scroll =
        tray_->geometry().Scroll(count, PixelsToTwips(contentsRect().height()));
    scrollBar_->setEnabled(scroll.enabled);
    if (scroll.enabled)
        scrollBar_->setRange(0, scroll.max);
    else
        scrollBar_->setValue(0);
}

void TrayPane::ShowCellInSight(int index)
{
    // A disabled bar still holds the range of an earlier date.
    if (!scrollBar_->isEnabled() || index < 0)
        return;
    scrollBar_->setValue(tray_->geometry().TopRowShowing(
        index / kTrayColumns, scrollBar_->value(), PixelsToTwips(contentsRect().height())));
}

} // namespace snapvale
