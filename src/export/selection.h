#pragma once

// The selection rectangle on the image view, as the view's mouse handlers drive it. Positions
// are view pixels, which are pixels of the unscaled image. The rectangle is the whole record of
// the selection: visible means a region is selected.

namespace snapvale {

// Button codes: one button for presses and releases, a sum of them for moves.
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;

struct SelectionRect
{
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
    bool visible = false;

    bool IsEmpty() const { return width < 1 || height < 1; }
};

class Selection
{
public:
    // A left press on a shown picture starts a new rectangle at the point; any other button
    // drops the selection. Modifier keys make no difference.
    void MouseDown(int button, float x, float y, bool pictureShown);
    // With the left button alone held, the rectangle grows to the lower right of its anchor;
    // a point above or left of the anchor leaves the rectangle as it last was.
    void MouseMove(int buttons, float x, float y);
    // True when the region menu is to open: the left button was released with the rectangle
    // shown, away from the anchor in both directions.
    bool MouseUp(int button, float x, float y) const;
    void Hide() { rect_.visible = false; }

    const SelectionRect& rect() const { return rect_; }

private:
    SelectionRect rect_;
    float anchorX_ = 0;
    float anchorY_ = 0;
};

} // namespace snapvale
