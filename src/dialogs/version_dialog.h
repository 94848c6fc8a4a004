#pragma once

// frmVersion: what the program does, its version, that it is freeware, and where support is
// found. No buttons; the close box closes it.

#include <QDialog>

class QLabel;

namespace snapvale {

class frmVersion : public QDialog
{
    Q_OBJECT

public:
    explicit frmVersion(QWidget* owner);

    // Shows the dialog modally over `owner` until the user closes it.
    static void ShowModal(QWidget* owner);

private:
    void Form_Load();

    QLabel* lblVersion = nullptr;
    QLabel* lblDesc = nullptr;
    QLabel* lblSupport = nullptr;
};

} // namespace snapvale
