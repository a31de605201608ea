// Saves what the screen shows of a window as a 24-bit BMP file, for the
// pictures of the user guide.
#pragma once

#include "framework/gdiscope.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

// Reads from the screen, not from the window, so that whatever is drawn
// over the window's children (the canvas's marks) is in the picture too.
inline bool SaveWindowPicture(HWND window, const std::string& path)
{
    RECT rect;
    if (!GetWindowRect(window, &rect)) return false;
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const int stride = (width * 3 + 3) & ~3;
    std::vector<char> pixels(static_cast<size_t>(stride) * height);
    {
        ScopedWindowDC screen(nullptr);
        if (screen.get() == nullptr) return false;
        HDC memory = CreateCompatibleDC(screen);
        if (memory == nullptr) return false;
        ScopedBitmap bitmap(CreateCompatibleBitmap(screen, width, height));
        bool copied = false;
        if (bitmap) {
            ScopedSelect select(memory, bitmap);
            copied = BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY) != FALSE;
        }
        // GetDIBits wants the bitmap out of every device context.
        copied = copied && GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                                     reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) == height;
        DeleteDC(memory);
        if (!copied) return false;
    }

    BITMAPFILEHEADER header = {};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info;
    header.bfSize = header.bfOffBits + static_cast<DWORD>(pixels.size());
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    const bool written = std::fwrite(&header, sizeof header, 1, file) == 1 &&
                         std::fwrite(&info, sizeof info, 1, file) == 1 &&
                         std::fwrite(pixels.data(), 1, pixels.size(), file) == pixels.size();
    return std::fclose(file) == 0 && written;
}
