#pragma once

// frmOption: shows the image folder and lets the user pick another with the folder browser, or
// type or paste one into its box. Enter closes it as "OK" does, Escape as "Cancel" does.

#include <string>

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace snapvale {

class FolderBrowser;

class frmOption : public QDialog
{
    Q_OBJECT

public:
    frmOption(QWidget* owner, FolderBrowser& browser);

    // Shows the dialog modally, starting from `sFol`. Returns the dialog's folder when it was
    // closed with "OK" or the close box, "" when it was closed with "Cancel".
    static std::string ShowForm(QWidget* owner, FolderBrowser& browser, const std::string& sFol);

    // Called while the dialog is shown, by tests that drive it: the showing in progress.
    static frmOption* Active();

    const std::string& SelectedFolder() const { return selectedFolder_; }
    bool Cancelled() const { return cancelled_; }

    void cmdFolder_Click();
    void cmdOK_Click();
    void cmdCancel_Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    FolderBrowser& browser_;
    std::string selectedFolder_;
    bool cancelled_ = false;

    QLabel* Label1 = nullptr;
    QLineEdit* txtFolder = nullptr;
    QPushButton* cmdFolder = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
};

} // namespace snapvale
