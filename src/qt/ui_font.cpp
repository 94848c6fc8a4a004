#include "qt/ui_font.h"

#include <QStringList>

namespace snapvale {

QFont JapaneseUiFont()
{
    QFont font;
    font.setFamilies({ QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
        QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"),
        QStringLiteral("Noto Sans JP"), QStringLiteral("VL PGothic"),
        QStringLiteral("TakaoPGothic") });
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(9);
    return font;
}

} // namespace snapvale
