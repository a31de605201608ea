#include "designer/tabscrollbutton.h"

#include "framework/gdiscope.h"

#include <algorithm>

namespace {

// The pictures are recorded on a 6 x 11 grid; playing stretches them.
const int kPictureWidth = 6;
const int kPictureHeight = 11;

HENHMETAFILE RecordTriangle(bool pointsLeft, COLORREF colour)
{
    HDC recorder = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    if (recorder == nullptr) return nullptr;
    {
        ScopedPen pen(CreatePen(PS_SOLID, 1, colour));
        ScopedBrush brush(CreateSolidBrush(colour));
        ScopedSelect usePen(recorder, pen.get());
        ScopedSelect useBrush(recorder, brush.get());
        const int tip = pointsLeft ? 0 : kPictureWidth - 1;
        const int base = pointsLeft ? kPictureWidth - 1 : 0;
        const POINT corners[3] = {{tip, kPictureHeight / 2}, {base, 0}, {base, kPictureHeight - 1}};
        Polygon(recorder, corners, 3);
    }
    return CloseEnhMetaFile(recorder);
}

}  // namespace

CTabScrollArrows::~CTabScrollArrows()
{
    destroy();
}

bool CTabScrollArrows::create()
{
    destroy();
    for (int side = 0; side < 2; ++side) {
        m_enabled[side] = RecordTriangle(side == 0, RGB(0, 0, 0));
        m_disabled[side] = RecordTriangle(side == 0, RGB(0x80, 0x80, 0x80));
        if (m_enabled[side] == nullptr || m_disabled[side] == nullptr) {
            destroy();
            return false;
        }
    }
    return true;
}

void CTabScrollArrows::destroy()
{
    for (int side = 0; side < 2; ++side) {
        if (m_enabled[side] != nullptr) DeleteEnhMetaFile(m_enabled[side]);
        if (m_disabled[side] != nullptr) DeleteEnhMetaFile(m_disabled[side]);
        m_enabled[side] = nullptr;
        m_disabled[side] = nullptr;
    }
}

void CTabScrollArrows::draw(const DRAWITEMSTRUCT& item, bool pointsLeft) const
{
    const RECT& bounds = item.rcItem;
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    if (width <= 0 || height <= 0) return;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;

    ScopedMemoryDC buffer(item.hDC, width, height);
    const bool buffered = buffer.ok();
    HDC dc = buffered ? buffer.get() : item.hDC;
    const int x0 = buffered ? 0 : bounds.left;
    const int y0 = buffered ? 0 : bounds.top;
    RECT face = {x0, y0, x0 + width, y0 + height};
    FillRect(dc, &face, GetSysColorBrush(COLOR_WINDOW));
    FillRect(dc, &face, GetSysColorBrush(COLOR_BTNFACE));

    if (pressed) {
        FrameRect(dc, &face, GetSysColorBrush(COLOR_BTNSHADOW));
    } else {
        // A raised outline two pixels wide: light top-left, shadow bottom-right.
        for (int inset = 0; inset < 2; ++inset) {
            RECT ring = face;
            InflateRect(&ring, -inset, -inset);
            RECT top = {ring.left, ring.top, ring.right - 1, ring.top + 1};
            RECT left = {ring.left, ring.top, ring.left + 1, ring.bottom - 1};
            RECT bottom = {ring.left, ring.bottom - 1, ring.right, ring.bottom};
            RECT right = {ring.right - 1, ring.top, ring.right, ring.bottom};
            FillRect(dc, &top, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
            FillRect(dc, &left, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
            FillRect(dc, &bottom, GetSysColorBrush(COLOR_BTNSHADOW));
            FillRect(dc, &right, GetSysColorBrush(COLOR_BTNSHADOW));
        }
    }

    // Only the enabled and disabled variants exist; pressed and focused
    // faces fall back to the enabled one.
    const int side = pointsLeft ? 0 : 1;
    HENHMETAFILE picture = disabled && m_disabled[side] != nullptr ? m_disabled[side] : m_enabled[side];
    if (picture != nullptr) {
        const int size = std::min(15, std::max(11, height - 5));
        RECT place = {x0 + 5, y0 + 4, x0 + 5 + (size + 1) / 2, y0 + 4 + size};
        if (pressed) OffsetRect(&place, 1, 1);
        PlayEnhMetaFile(dc, picture, &place);
    }

    if (buffered) buffer.Blit(item.hDC, bounds.left, bounds.top);
}
