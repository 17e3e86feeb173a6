#pragma once

#include <QRect>
#include <QSize>
#include <QString>

class IniFile;

// main.ini, section Options: the window's geometry and state, panel widths, the group shown last,
// the interface language and the prefix of web copies.
struct Settings {
    QString lastGroup;
    int height = 586;
    int width = 800;
    int top = 0;
    int left = 0;
    int listWidth = 184;
    int groupsWidth = 102;
    QString language = QStringLiteral("Russian");
    bool wstate = false;
    QString userNick = QStringLiteral("Your_nick");
    int webFotoMaxSide = 400;
    int webFotoMaxSize = 49500;
};

// Reads the keys in their fixed order. The stored size is raised to minimumSize; a missing Top or
// Left centres the window on a screen of screenSize.
Settings loadSettings(const IniFile& ini, QSize screenSize, QSize minimumSize);

// What the window is at save time.
struct WindowState {
    QRect geometry; // top-left and size of the normal (not maximized) window
    bool maximized = false;
    int listWidth = 184;
    int groupsWidth = 102;
    QString currentGroupName;
    QString rememberedGroupName;
};

// Writes the keys in their fixed order into ini (other sections and keys stay as they were). The
// caller flushes. When maximized, size, position and LastGroup keep the values of the last save.
void saveSettings(IniFile& ini, const Settings& s, const WindowState& w);

// A stored position that would put the window wholly off every screen is moved back onto the
// available area; a window that fits somewhere keeps its place.
QRect placeOnScreen(QRect wanted, QRect available);
