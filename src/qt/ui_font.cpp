#include "qt/ui_font.h"

#include <QFontDatabase>
#include <QStringList>

namespace snapvale {

QFont JapaneseUiFont()
{
    // The Gothic the layout was drawn for first, then the Japanese UI fonts of Windows (Yu Gothic
    // UI comes with every Windows 10 and 11, the others with Japanese Windows or its optional
    // Japanese fonts), then the free look-alikes of other systems. Only families the system has
    // are named: an absent one would be resolved by substitution to some font without Japanese,
    // which then draws the Latin letters while another font draws the rest.
    static const QStringList wanted{ QStringLiteral("ＭＳ Ｐゴシック"),
        QStringLiteral("MS PGothic"), QStringLiteral("Yu Gothic UI"), QStringLiteral("Meiryo UI"),
        QStringLiteral("MS UI Gothic"), QStringLiteral("IPAPGothic"),
        QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP"),
        QStringLiteral("VL PGothic"), QStringLiteral("TakaoPGothic") };
    const QStringList installed = QFontDatabase::families();
    QStringList families;
    for (const QString& family : wanted)
        if (installed.contains(family, Qt::CaseInsensitive))
            families << family;

    QFont font;
    if (!families.isEmpty())
        font.setFamilies(families);
    font.setStyleHint(QFont::SansSerif);
    // Scalable outlines, anti-aliased: hand-tuned small bitmaps of Japanese fonts make
    // half-width kana hard to read on today's screens.
    font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferOutline | QFont::PreferAntialias));
    font.setPointSize(9);
    return font;
}

} // namespace snapvale
