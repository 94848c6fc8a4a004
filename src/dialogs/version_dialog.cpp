#include "dialogs/version_dialog.h"

#include <QFrame>
#include <QLabel>

#include "base/twips.h"
#include "dialogs/version_text.h"
#include "qt/ui_font.h"

namespace snapvale {

namespace {

// The version is the project's version, set once in the build.
constexpr int kVersionMajor = SNAPVALE_VERSION_MAJOR;
constexpr int kVersionMinor = SNAPVALE_VERSION_MINOR;
constexpr int kVersionRevision = SNAPVALE_VERSION_PATCH;

// The rights line repeats the copyright line of LICENSE and names that licence.
const char* const kRightsLine = "Copyright (c) 2026 Snapvale2 developers. MIT License";
// The program has no mail address or web site of its own; the lines say so and point to the
// README that comes with it, rather than name an address that does not exist.
const char* const kSupportMailLine = "E-mail: ありません";
const char* const kSupportPageLine = "Web: 同梱の README.md をご覧ください";

// A label that grows with its text from its top-left corner.
QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, int left, int top)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(TwipsToPixels(left), TwipsToPixels(top));
    label->adjustSize();
    return label;
}

QFrame* AddRule(QWidget* parent, const char* name, int top, QPalette::ColorRole role)
{
    auto* line = new QFrame(parent);
    line->setObjectName(name);
    line->setGeometry(
        TwipsToPixels(120), TwipsToPixels(top), TwipsToPixels(5760) - TwipsToPixels(120), 1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, parent->palette().color(role));
    line->setPalette(palette);
    return line;
}

} // namespace

frmVersion::frmVersion(QWidget* owner)
    : QDialog(owner)
{
    setObjectName("frmVersion");
    setFont(JapaneseUiFont());
    setWindowTitle(QStringLiteral("Snapvale2 - Version情報"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
        | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(TwipsToPixels(5910), TwipsToPixels(1950));

    AddLabel(this, "Label1",
        QStringLiteral("Snapvale2 - TGA形式のファイルを日付別に閲覧・保存できます。"), 120, 120);
    // Two lines, shadow over highlight, make an etched rule.
    AddRule(this, "Line1(0)", 360, QPalette::Dark);
    AddRule(this, "Line1(1)", 375, QPalette::Light);
    lblVersion = AddLabel(this, "lblVersion", QStringLiteral("Version"), 120, 480);
    lblDesc = AddLabel(this, "lblDesc", QStringLiteral("Desc"), 120, 720);
    lblSupport = AddLabel(this, "lblSupport", QStringLiteral("Support"), 5205, 1200);
    lblSupport->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Form_Load();
}

void frmVersion::Form_Load()
{
    lblVersion->setText(
        QString::fromStdString(VersionLine(kVersionMajor, kVersionMinor, kVersionRevision)));
    lblVersion->adjustSize();
    lblDesc->setText(
        QStringLiteral("このソフトウェアはフリーウェアです。\n") + QString::fromUtf8(kRightsLine));
    lblDesc->adjustSize();
    // The support lines keep their right edge at the right margin and grow to the left.
    const int rightEdge = TwipsToPixels(5790);
    lblSupport->setText(
        QStringLiteral("お問い合わせ・サポートページ\n%1\n%2")
            .arg(QString::fromUtf8(kSupportMailLine), QString::fromUtf8(kSupportPageLine)));
    lblSupport->adjustSize();
    lblSupport->move(rightEdge - lblSupport->width(), lblSupport->y());
}

void frmVersion::ShowModal(QWidget* owner)
{
    frmVersion dialog(owner);
    dialog.exec();
}

} // namespace snapvale
