#include "../support/tempprogramfolder.h"
#include "settings/settings.h"
#include "store/inifile.h"

#include <gtest/gtest.h>

namespace {
const QSize kScreen(1280, 800);
const QSize kMinimum(822, 300);
} // namespace

// The window's tests check the default sizes; here the place on the screen, and that the defaults read
// without a file are what a first save writes, every key in its order.
TEST(Settings, NoFileGivesTheDefaultsCentredAndAFirstSaveWritesThem)
{
    TempProgramFolder pf;
    IniFile ini(pf.file(QStringLiteral("main.ini")));
    const Settings s = loadSettings(ini, kScreen, kMinimum);
    EXPECT_EQ(s.left, 229); // (1280 - 822) / 2
    EXPECT_EQ(s.top, 107);  // (800 - 586) / 2
    EXPECT_FALSE(s.wstate);
    // Halves go to the even neighbour: 229.5 gives 230, 228.5 gives 228.
    EXPECT_EQ(loadSettings(ini, QSize(1281, 800), kMinimum).left, 230);
    EXPECT_EQ(loadSettings(ini, QSize(1279, 800), kMinimum).left, 228);
    WindowState w;
    w.geometry = QRect(10, 20, 900, 600);
    w.listWidth = 200;
    w.groupsWidth = 110;
    w.currentGroupName = QString::fromUtf8("Суккуленты");
    saveSettings(ini, s, w);
    ASSERT_TRUE(ini.updateFile().ok());
    EXPECT_EQ(pf.read(QStringLiteral("main.ini")),
              QByteArray("[Options]\r\nHeight=600\r\nWidth=900\r\nTop=20\r\nLeft=10\r\n"
                         "LastGroup=\xD1\xF3\xEA\xEA\xF3\xEB\xE5\xED\xF2\xFB\r\nLanguage=Russian\r\n"
                         "GroupsWidth=110\r\nListWidth=200\r\nPlantsWidth=200\r\nUserNick=Your_nick\r\n"
                         "WebFotoMaxSide=400\r\nWebFotoMaxSize=49500\r\nWstate=0\r\n\r\n"));
}

// The window's tests check that other sections stay.
TEST(Settings, MaximizedSaveKeepsTheNormalGeometryAndOtherKeys)
{
    TempProgramFolder pf;
    pf.writeRecord(
        QStringLiteral("main.ini"),
        QStringLiteral("[Options]\nHeight=500\nWidth=1000\nTop=5\nLeft=6\nLastGroup=Cacti\nPlantsWidth=999\n"
                       "Width2=x\n"));
    IniFile ini(pf.file(QStringLiteral("main.ini")));
    Settings s = loadSettings(ini, kScreen, kMinimum);
    WindowState w;
    w.maximized = true;
    w.geometry = QRect(0, 0, 1280, 800);
    w.currentGroupName = QStringLiteral("Roses");
    saveSettings(ini, s, w);
    ASSERT_TRUE(ini.updateFile().ok());
    const IniFile back(pf.file(QStringLiteral("main.ini")));
    EXPECT_EQ(back.readInteger(u"Options", u"Width", 0), 1000);
    EXPECT_EQ(back.readString(u"Options", u"LastGroup", QString()), QStringLiteral("Cacti"));
    EXPECT_TRUE(back.readBool(u"Options", u"Wstate", false));
    EXPECT_EQ(back.readInteger(u"Options", u"PlantsWidth", 0), 184); // rewritten from the tree panel
    EXPECT_EQ(back.readString(u"Options", u"Width2", QString()), QStringLiteral("x"));

    // The notes view is never remembered as the last group.
    w.maximized = false;
    w.rememberedGroupName = QStringLiteral("_notes");
    saveSettings(ini, s, w);
    EXPECT_EQ(ini.readString(u"Options", u"LastGroup", QString()), QStringLiteral("Cacti"));
}

TEST(Settings, NonNumbersReadAsDefaultsAndSmallSizesAreRaised)
{
    const IniFile ini = IniFile::fromBytes(
        QStringLiteral("main.ini"), "[Options]\nHeight=tall\nWidth=100\nTop=$10\nListWidth=\nWstate=7\n");
    const Settings s = loadSettings(ini, kScreen, kMinimum);
    EXPECT_EQ(s.height, 586);
    EXPECT_EQ(s.width, 822);
    EXPECT_EQ(s.top, 16);
    EXPECT_EQ(s.listWidth, 184);
    EXPECT_TRUE(s.wstate);
}

TEST(Settings, AWindowWhollyOffTheScreensIsBroughtBack)
{
    const QRect screen(0, 0, 1280, 800);
    EXPECT_EQ(placeOnScreen(QRect(100, 100, 822, 586), screen), QRect(100, 100, 822, 586));
    EXPECT_EQ(placeOnScreen(QRect(-200, 50, 822, 586), screen), QRect(-200, 50, 822, 586)); // partly visible
    const QRect back = placeOnScreen(QRect(5000, 3000, 822, 586), screen);
    EXPECT_TRUE(screen.contains(back.topLeft()));
}
