// The picture shown in the middle of the screen for about a second while
// the program starts.
#pragma once

#include "framework/window.h"

class CSplashWnd : public CWnd {
public:
    static void EnableSplashScreen(bool enable);
    // Shows the splash unless it is disabled or already up.
    static void ShowSplashScreen(CWnd* parent);
    static void HideSplashScreen();
    static CSplashWnd* current();

    ~CSplashWnd() override;

protected:
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;

private:
    CSplashWnd() = default;
    bool Create(CWnd* parent);
    void OnPaint();

    HBITMAP m_bitmap = nullptr;
    // Set once the window exists: from then on its end deletes the object.
    bool m_ownedByWindow = false;
    SIZE m_size = {0, 0};
};
