#pragma once

#include <QIcon>
#include <QImage>

// The program's pictures, drawn by code so that nothing binary needs to be
// shipped: toolbar buttons, the window icon and the start-up splash.
class CArtwork
{
public:
    enum class Button { New, Open, Save, Cut, Copy, Paste, Print, About };

    static constexpr int kButtonWidth = 16;
    static constexpr int kButtonHeight = 15;
    static constexpr int kSplashWidth = 592;
    static constexpr int kSplashHeight = 451;

    static QIcon ToolbarIcon(Button button);
    static QIcon ApplicationIcon();
    // The icon at one size, for the desktop's icon theme as well.
    static QImage DrawApplicationIcon(int size);
    static QImage SplashPicture();

private:
    static QImage DrawButton(Button button, int scale);
};
