#include "qt/scrolling_menu_style.h"

#include <QApplication>

namespace snapvale {

ScrollingMenuStyle::ScrollingMenuStyle(QObject* owner)
    : QProxyStyle(QApplication::style()->name())
{
    setParent(owner);
}

int ScrollingMenuStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
    QStyleHintReturn* returnData) const
{
    if (hint == SH_Menu_Scrollable)
        return 1;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}

} // namespace snapvale
