#include "settings/settings.h"

#include "platform/rounding.h"
#include "store/inifile.h"

#include <algorithm>

namespace {
constexpr QStringView kOptions = u"Options";
}

Settings loadSettings(const IniFile& ini, QSize screenSize, QSize minimumSize)
{
    Settings s;
    s.lastGroup = ini.readString(kOptions, u"LastGroup", QString());
    s.height = std::max(ini.readInteger(kOptions, u"Height", 586), minimumSize.height());
    s.width = std::max(ini.readInteger(kOptions, u"Width", 800), minimumSize.width());
    s.top = ini.readInteger(kOptions, u"Top",
                            static_cast<int>(roundHalfEven((screenSize.height() - s.height) / 2.0)));
    s.left = ini.readInteger(kOptions, u"Left",
                             static_cast<int>(roundHalfEven((screenSize.width() - s.width) / 2.0)));
    s.listWidth = ini.readInteger(kOptions, u"ListWidth", 184);
    s.groupsWidth = ini.readInteger(kOptions, u"GroupsWidth", 102);
    s.language = ini.readString(kOptions, u"Language", QStringLiteral("Russian"));
    s.wstate = ini.readBool(kOptions, u"Wstate", false);
    s.userNick = ini.readString(kOptions, u"UserNick", QStringLiteral("Your_nick"));
    s.webFotoMaxSide = ini.readInteger(kOptions, u"WebFotoMaxSide", 400);
    s.webFotoMaxSize = ini.readInteger(kOptions, u"WebFotoMaxSize", 49500);
    return s;
}

void saveSettings(IniFile& ini, const Settings& s, const WindowState& w)
{
    if (!w.maximized) {
        ini.writeInteger(kOptions, u"Height", w.geometry.height());
        ini.writeInteger(kOptions, u"Width", w.geometry.width());
        ini.writeInteger(kOptions, u"Top", w.geometry.top());
        ini.writeInteger(kOptions, u"Left", w.geometry.left());
        if (w.rememberedGroupName != u"_notes")
            ini.writeString(kOptions, u"LastGroup", w.currentGroupName);
    }
    ini.writeString(kOptions, u"Language", s.language);
    ini.writeInteger(kOptions, u"GroupsWidth", w.groupsWidth);
    ini.writeInteger(kOptions, u"ListWidth", w.listWidth);
    ini.writeInteger(kOptions, u"PlantsWidth", w.listWidth);
    ini.writeString(kOptions, u"UserNick", s.userNick);
    ini.writeInteger(kOptions, u"WebFotoMaxSide", s.webFotoMaxSide);
    ini.writeInteger(kOptions, u"WebFotoMaxSize", s.webFotoMaxSize);
    ini.writeBool(kOptions, u"Wstate", w.maximized);
}

QRect placeOnScreen(QRect wanted, QRect available)
{
    if (available.isEmpty() || available.intersects(wanted))
        return wanted;
    QRect r = wanted;
    r.moveLeft(
        std::clamp(r.left(), available.left(), std::max(available.left(), available.right() - r.width())));
    r.moveTop(
        std::clamp(r.top(), available.top(), std::max(available.top(), available.bottom() - r.height())));
    return r;
}
