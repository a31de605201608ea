// The faces of the property palette's two tab-scroll buttons: owner-drawn
// push buttons showing a small triangle pointing left or right, black when
// the button can be pressed and grey when it cannot. The triangles are
// enhanced metafiles made once and played into each button's face.
#pragma once

#include <windows.h>

class CTabScrollArrows {
public:
    CTabScrollArrows() = default;
    ~CTabScrollArrows();
    CTabScrollArrows(const CTabScrollArrows&) = delete;
    CTabScrollArrows& operator=(const CTabScrollArrows&) = delete;

    // Records the four pictures; false when one could not be made.
    bool create();
    void destroy();

    // Draws button `pointsLeft` (the left one) for a WM_DRAWITEM.
    void draw(const DRAWITEMSTRUCT& item, bool pointsLeft) const;

private:
    // [0] left, [1] right; enabled (black) and disabled (grey).
    HENHMETAFILE m_enabled[2] = {nullptr, nullptr};
    HENHMETAFILE m_disabled[2] = {nullptr, nullptr};
};
