// Scoped owners for GDI objects and device contexts, so that a paint or
// measure path releases what it made on every exit without doing it by hand.
#pragma once

#include <windows.h>

// Owns one GDI object (pen, brush, font, bitmap, region) and deletes it.
template <typename Handle>
class ScopedGdiObject {
public:
    explicit ScopedGdiObject(Handle handle = nullptr) : m_handle(handle) {}
    ~ScopedGdiObject() { reset(); }
    ScopedGdiObject(const ScopedGdiObject&) = delete;
    ScopedGdiObject& operator=(const ScopedGdiObject&) = delete;

    void reset(Handle handle = nullptr)
    {
        if (m_handle != nullptr) DeleteObject(m_handle);
        m_handle = handle;
    }
    Handle get() const { return m_handle; }
    operator Handle() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

private:
    Handle m_handle;
};

typedef ScopedGdiObject<HPEN> ScopedPen;
typedef ScopedGdiObject<HBRUSH> ScopedBrush;
typedef ScopedGdiObject<HFONT> ScopedFont;
typedef ScopedGdiObject<HBITMAP> ScopedBitmap;

// Selects an object into a device context and selects the old one back.
class ScopedSelect {
public:
    ScopedSelect(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(object != nullptr ? SelectObject(dc, object) : nullptr) {}
    ~ScopedSelect()
    {
        if (m_old != nullptr && m_old != HGDI_ERROR) SelectObject(m_dc, m_old);
    }
    ScopedSelect(const ScopedSelect&) = delete;
    ScopedSelect& operator=(const ScopedSelect&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

// A window's device context from GetDC, released on exit.
class ScopedWindowDC {
public:
    explicit ScopedWindowDC(HWND window) : m_window(window), m_dc(GetDC(window)) {}
    ~ScopedWindowDC()
    {
        if (m_dc != nullptr) ReleaseDC(m_window, m_dc);
    }
    ScopedWindowDC(const ScopedWindowDC&) = delete;
    ScopedWindowDC& operator=(const ScopedWindowDC&) = delete;
    HDC get() const { return m_dc; }
    operator HDC() const { return m_dc; }

private:
    HWND m_window;
    HDC m_dc;
};

// BeginPaint and EndPaint around one WM_PAINT.
class ScopedPaint {
public:
    explicit ScopedPaint(HWND window) : m_window(window) { m_dc = BeginPaint(window, &m_ps); }
    ~ScopedPaint() { EndPaint(m_window, &m_ps); }
    ScopedPaint(const ScopedPaint&) = delete;
    ScopedPaint& operator=(const ScopedPaint&) = delete;
    HDC dc() const { return m_dc; }
    const RECT& area() const { return m_ps.rcPaint; }
    bool erase() const { return m_ps.fErase != FALSE; }

private:
    HWND m_window;
    PAINTSTRUCT m_ps = {};
    HDC m_dc = nullptr;
};

// An off-screen bitmap compatible with `target`, `width` x `height`, for
// painting without flicker; Blit copies it to `target` at (x, y).
class ScopedMemoryDC {
public:
    ScopedMemoryDC(HDC target, int width, int height)
        : m_dc(CreateCompatibleDC(target)),
          m_bitmap(width > 0 && height > 0 ? CreateCompatibleBitmap(target, width, height) : nullptr),
          m_width(width), m_height(height)
    {
        if (m_dc != nullptr && m_bitmap != nullptr) m_old = SelectObject(m_dc, m_bitmap);
    }
    ~ScopedMemoryDC()
    {
        if (m_old != nullptr) SelectObject(m_dc, m_old);
        if (m_bitmap != nullptr) DeleteObject(m_bitmap);
        if (m_dc != nullptr) DeleteDC(m_dc);
    }
    ScopedMemoryDC(const ScopedMemoryDC&) = delete;
    ScopedMemoryDC& operator=(const ScopedMemoryDC&) = delete;

    // False when the context or the bitmap could not be made.
    bool ok() const { return m_dc != nullptr && m_bitmap != nullptr && m_old != nullptr; }
    HDC get() const { return m_dc; }
    operator HDC() const { return m_dc; }
    BOOL Blit(HDC target, int x, int y) const { return BitBlt(target, x, y, m_width, m_height, m_dc, 0, 0, SRCCOPY); }

private:
    HDC m_dc;
    HBITMAP m_bitmap;
    HGDIOBJ m_old = nullptr;
    int m_width;
    int m_height;
};
