#pragma once

// A menu taller than the screen scrolls, with arrows at its ends as on Windows, instead of
// spreading into columns across the whole screen: a long list stays one list.

#include <QProxyStyle>

namespace snapvale {

class ScrollingMenuStyle final : public QProxyStyle
{
public:
    // The application's style with scrolling menus; `owner` (the menu) deletes it.
    explicit ScrollingMenuStyle(QObject* owner);

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
        QStyleHintReturn* returnData) const override;
};

} // namespace snapvale
