#pragma once

// The picture alone on a whole screen, over black: in the middle, scaled down to fit when it is
// larger than the screen, else at full size. The view's keys work here as they do in the window:
// they ask for another file of the date shown, whose picture the owner then hands in. F11 and
// Esc ask to go back to the window.

#include <QImage>
#include <QWidget>

#include "catalogue/date_tree.h"
#include "viewer/shown_picture.h"

class QScreen;

namespace snapvale {

class FullScreenView : public QWidget
{
    Q_OBJECT

public:
    // A window of its own; `owner` only holds it.
    explicit FullScreenView(QWidget* owner = nullptr);

    // Shows `picture` (a null image shows black alone).
    void SetPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }
    // Shown pixels per picture pixel.
    double Scale() const { return scale_; }
    // Whether the picture is still being scaled to the screen.
    bool IsBusy() const { return shown_.IsScaling(); }
    // Covers `screen` (the primary one when null) and takes the keys.
    void Open(QScreen* screen);
    // Where the picture lies in the widget.
    QRect PictureRect() const;

signals:
    void StepRequested(FileStep step);
    // F11 or Esc, or the window was closed: back to the window.
    void CloseRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void Relayout();

    QImage picture_;
    double scale_ = 1.0;
    ShownPicture shown_;
};

} // namespace snapvale
