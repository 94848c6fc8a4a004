#include "export/selection.h"

namespace snapvale {

void Selection::MouseDown(int button, float x, float y, bool pictureShown)
{
    if (button != kLeftButton) {
        Hide();
        return;
    }
    if (!pictureShown)
        return;
    anchorX_ = x;
    anchorY_ = y;
    rect_ = { x, y, 0, 0, true };
}

void Selection::MouseMove(int buttons, float x, float y)
{
    if (buttons != kLeftButton)
        return;
    const float dx = x - anchorX_;
    const float dy = y - anchorY_;
    if (dx >= 0 && dy >= 0) {
        rect_.left = anchorX_;
        rect_.top = anchorY_;
        rect_.width = dx;
        rect_.height = dy;
    }
}

bool Selection::MouseUp(int button, float x, float y) const
{
    return button == kLeftButton && rect_.visible && x != anchorX_ && y != anchorY_;
}

} // namespace snapvale
