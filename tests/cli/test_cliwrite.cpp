#include "../support/companion.h"
#include "../support/exifjpeg.h"
#include "../support/windowevents.h"

using namespace Qt::StringLiterals;

namespace {

void layOut(const TempProgramFolder& pf)
{
    pf.layOut({u"Roses"_s, u"Cacti"_s}, {u"Roses/Shrubs=1"_s, u"Roses/Shrubs/Rugosa=2"_s, u"Roses/Tea=0"_s});
    pf.write(u"MyPlants/Roses/Tea/description.rtf"_s, "{\\rtf1 Tea page\\par}");
    pf.write(u"MyPlants/!Shablon_all/description.rtf"_s, "{\\rtf1 Collection template\\par}");
}

} // namespace

TEST(CliWrite, EveryCommandChangesTheCollectionAndRefusesBadInput)
{
    TempProgramFolder pf;
    layOut(pf);
    Companion cli;
    const QString p = pf.path();

    // add: a plant gets pages from the templates and a record; a folder is only a folder.
    EXPECT_EQ(cli({u"add"_s, p, u"Roses"_s, u"Alba  "_s}).code, 0);
    EXPECT_EQ(pf.read(u"MyPlants/Roses/Alba/description.rtf"_s), "{\\rtf1 Collection template\\par}");
    EXPECT_EQ(pf.number(u"MyPlants/Roses/Alba/plant.ini"_s, u"Main", u"Cond"), 0);
    EXPECT_EQ(cli({u"add"_s, p, u"Roses"_s, u"Pots"_s, u"--folder"_s}).code, 0);
    EXPECT_TRUE(QDir(pf.file(u"MyPlants/Roses/Pots"_s)).isEmpty());
    EXPECT_EQ(cli({u"add"_s, p, u"Roses"_s, u"Shrubs/Канина"_s}).code, 0);
    EXPECT_TRUE(pf.exists(u"MyPlants/Roses/Shrubs/Канина/care.rtf"_s));
    // Names the tree has anywhere, reserved or unholdable names, deep or missing places.
    for (const QStringList& bad :
         {QStringList{u"Roses"_s, u"Rugosa"_s}, QStringList{u"Roses"_s, u"!Hidden"_s},
          QStringList{u"Roses"_s, u"a:b"_s}, QStringList{u"Roses"_s, u"Shrubs/x/y"_s},
          QStringList{u"Roses"_s, u"Nowhere/x"_s}, QStringList{u"Tulips"_s, u"x"_s},
          QStringList{u"Roses"_s, u"名前"_s}}) {
        const auto before = filesUnder(pf.file(u"MyPlants"_s), {}, true);
        const CliOutcome r = cli(QStringList{u"add"_s, p} << bad);
        EXPECT_EQ(r.code, 1) << bad.join(u' ').toStdString();
        EXPECT_EQ(r.err.count(u'\n'), 1) << r.err.toStdString();
        EXPECT_EQ(filesUnder(pf.file(u"MyPlants"_s), {}, true), before) << bad.join(u' ').toStdString();
    }

    // rename prints the name it got; mark writes the record; marks on folders are refused.
    CliOutcome r = cli({u"rename"_s, p, u"Roses"_s, u"Alba"_s, u"Rugosa"_s});
    EXPECT_EQ(r.out, u"Rugosa\n"_s) << "a name taken in another folder is fine at the top";
    r = cli({u"rename"_s, p, u"Roses"_s, u"Shrubs/Канина"_s, u"Rugosa"_s});
    EXPECT_EQ(r.out, u"Rugosa 1\n"_s);
    EXPECT_EQ(cli({u"rename"_s, p, u"Roses"_s, u"Tea"_s, u"!x"_s}).code, 1);
    EXPECT_EQ(cli({u"mark"_s, p, u"Roses"_s, u"Tea"_s, u"treat"_s}).code, 0);
    EXPECT_EQ(pf.read(u"MyPlants/Roses/Tea/plant.ini"_s),
              QByteArray("[Main]\r\nCond=5\r\nExpanded=0\r\n\r\n"));
    EXPECT_EQ(cli({u"mark"_s, p, u"Roses"_s, u"Shrubs"_s, u"ideal"_s}).code, 1);
    EXPECT_EQ(cli({u"mark"_s, p, u"Roses"_s, u"Tea"_s, u"dead"_s}).code, 2);

    // add-photo copies the photo and its comment; a second copy, junk and folders are refused.
    pf.write(u"in/flower.jpg"_s, exifjpeg::plainJpeg(40, 30, Qt::green));
    pf.write(u"in/junk.jpg"_s, QByteArray(5000, 'j'));
    pf.mkdir(u"in/dir.jpg"_s);
    EXPECT_EQ(
        cli({u"add-photo"_s, p, u"Roses"_s, u"Tea"_s, pf.file(u"in/flower.jpg"_s), u"Первый цветок"_s}).code,
        0);
    EXPECT_EQ(pf.read(u"MyPlants/Roses/Tea/flower.jpg"_s), exifjpeg::plainJpeg(40, 30, Qt::green));
    EXPECT_EQ(pf.read(u"MyPlants/Roses/Tea/flower.jpg.txt"_s),
              "\xcf\xe5\xf0\xe2\xfb\xe9 \xf6\xe2\xe5\xf2\xee\xea");
    for (const char* bad : {"in/flower.jpg", "in/junk.jpg", "in/dir.jpg", "in/none.jpg"})
        EXPECT_EQ(cli({u"add-photo"_s, p, u"Roses"_s, u"Tea"_s, pf.file(u8(bad))}).code, 1) << bad;
    EXPECT_FALSE(pf.exists(u"MyPlants/Roses/Tea/junk.jpg"_s));

    // move: into a folder, to another group; a folder into a folder is refused.
    EXPECT_EQ(cli({u"move"_s, p, u"Roses"_s, u"Rugosa"_s, u"Roses/Pots"_s}).code, 0);
    EXPECT_TRUE(pf.exists(u"MyPlants/Roses/Pots/Rugosa/plant.ini"_s));
    EXPECT_EQ(cli({u"move"_s, p, u"Roses"_s, u"Tea"_s, u"Cacti"_s}).code, 0);
    EXPECT_EQ(pf.read(u"MyPlants/Cacti/Tea/flower.jpg"_s), exifjpeg::plainJpeg(40, 30, Qt::green));
    EXPECT_FALSE(pf.exists(u"MyPlants/Roses/Tea"_s));
    EXPECT_EQ(cli({u"move"_s, p, u"Roses"_s, u"Pots"_s, u"Roses/Shrubs"_s}).code, 1);
    EXPECT_EQ(cli({u"move"_s, p, u"Cacti"_s, u"Tea"_s, u"Cacti"_s}).code, 1);

    // remove prints the removed name; a folder with plants stays.
    EXPECT_EQ(cli({u"remove"_s, p, u"Roses"_s, u"Shrubs"_s}).code, 1);
    r = cli({u"remove"_s, p, u"Cacti"_s, u"Tea"_s});
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.startsWith(u"!deleted_Tea_"_s));
    EXPECT_TRUE(pf.exists(u"MyPlants/Cacti/"_s + r.out.trimmed() + u"/flower.jpg"_s));

    // add-group writes the record the group editor writes.
    EXPECT_EQ(
        cli({u"add-group"_s, p, u"Orchids"_s, u"--color"_s, u"13434828"_s, u"--picture"_s, u"17"_s}).code, 0);
    EXPECT_EQ(pf.read(u"MyPlants/Orchids/group.ini"_s),
              QByteArray("[Group]\r\nColor=13434828\r\nImageIndex=17\r\n\r\n"));
    EXPECT_EQ(cli({u"add-group"_s, p, u"Orchids"_s}).code, 1);
    EXPECT_EQ(cli({u"add-group"_s, p, u"!Orchids"_s}).code, 1);
    EXPECT_EQ(cli({u"add-group"_s, p, u"X"_s, u"--picture"_s, u"25"_s}).code, 2);

    // The notes group is reached by its folder name; its notes start empty.
    pf.writeRecord(u"MyPlants/!Notes/group.ini"_s, u"[Group]\nColor=10484657\n"_s);
    EXPECT_EQ(cli({u"add"_s, p, u"!Notes"_s, u"Shopping"_s}).code, 0);
    EXPECT_EQ(pf.read(u"MyPlants/!Notes/Shopping/description.rtf"_s), QByteArray());
    EXPECT_EQ(cli({u"tree"_s, p, u"!Notes"_s}).out, u"Shopping\n"_s);
}

TEST(CliWrite, PagesGoInAndOutInEveryFormat)
{
    TempProgramFolder pf;
    layOut(pf);
    Companion cli;
    const QString p = pf.path();
    // Markdown with two levels of bullet and numbered lists comes out with the markers.
    pf.write(u"in/care.md"_s, "Water\n\n1. Spring\n   - twice a week\n   - in the morning\n2. Winter\n\n"
                              "- soil\n- pot\n");
    ASSERT_EQ(cli({u"import-page"_s, p, u"Roses"_s, u"Tea"_s, u"care"_s, pf.file(u"in/care.md"_s)}).code, 0);
    CliOutcome r = cli({u"page"_s, p, u"Roses"_s, u"Tea"_s, u"care"_s});
    EXPECT_EQ(r.out,
              u"Water\n1. Spring\n    • twice a week\n    • in the morning\n2. Winter\n• soil\n• pot\n"_s)
        << r.out.toStdString();
    // What --format rtf prints, imported again, leaves the page byte for byte as it was.
    const QByteArray page = pf.read(u"MyPlants/Roses/Tea/care.rtf"_s);
    r = cli({u"page"_s, p, u"Roses"_s, u"Tea"_s, u"care"_s, u"--format"_s, u"rtf"_s});
    EXPECT_EQ(r.out.toLatin1(), page);
    pf.write(u"in/back.rtf"_s, r.out.toLatin1());
    ASSERT_EQ(cli({u"import-page"_s, p, u"Roses"_s, u"Tea"_s, u"care"_s, pf.file(u"in/back.rtf"_s)}).code, 0);
    EXPECT_EQ(pf.read(u"MyPlants/Roses/Tea/care.rtf"_s), page);
    r = cli({u"page"_s, p, u"Roses"_s, u"Tea"_s, u"care"_s, u"--format"_s, u"html"_s});
    EXPECT_TRUE(r.out.contains(u"<li"_s)) << r.out.toStdString();

    // Plain text in UTF-8 and in Windows-1251, HTML by its name.
    pf.write(u"in/utf8.txt"_s, u"Полив раз в неделю"_s.toUtf8());
    pf.write(u"in/cp1251.txt"_s, "\xcf\xee\xeb\xe8\xe2");
    pf.write(u"in/page.htm"_s, "<p>Some <b>bold</b> text</p>");
    const std::pair<const char*, const char*> texts[] = {{"in/utf8.txt", "Полив раз в неделю\n"},
                                                         {"in/cp1251.txt", "Полив\n"},
                                                         {"in/page.htm", "Some bold text\n"}};
    for (const auto& [file, text] : texts) {
        ASSERT_EQ(cli({u"import-page"_s, p, u"Roses"_s, u"Tea"_s, u"diary"_s, pf.file(u8(file))}).code, 0)
            << file;
        EXPECT_EQ(cli({u"page"_s, p, u"Roses"_s, u"Tea"_s, u"diary"_s}).out, u8(text)) << file;
    }
    // Junk, folders and missing files change nothing.
    const QByteArray diary = pf.read(u"MyPlants/Roses/Tea/diary.rtf"_s);
    pf.write(u"in/photo.txt"_s, exifjpeg::plainJpeg(40, 30, Qt::green));
    pf.mkdir(u"in/dir.rtf"_s);
    for (const char* bad : {"in/photo.txt", "in/dir.rtf", "in/none.md"}) {
        r = cli({u"import-page"_s, p, u"Roses"_s, u"Tea"_s, u"diary"_s, pf.file(u8(bad))});
        EXPECT_EQ(r.code, 1) << bad;
        EXPECT_TRUE(r.err.endsWith(u"the page stays as it was\n"_s)) << r.err.toStdString();
    }
    EXPECT_EQ(pf.read(u"MyPlants/Roses/Tea/diary.rtf"_s), diary);
    EXPECT_EQ(cli({u"import-page"_s, p, u"Roses"_s, u"Tea"_s, u"notes"_s, pf.file(u"in/utf8.txt"_s)}).code,
              2);
}

TEST(CliWrite, TheCommandWritesWhatTheWindowWrites)
{
    TempProgramFolder byWindow, byCommand;
    layOut(byWindow);
    layOut(byCommand);
    {
        RecordingSink sink;
        ShownForm form(byWindow.path(), &sink);
        QStringList answers{u"Pots"_s, u"Aloe  "_s, u"Echeveria"_s};
        form.askName = [&](const QString&, const QString&) { return answers.takeFirst(); };
        const QPoint empty(5, form.TreeView1->viewport()->height() - 5);
        QTest::mouseClick(form.TreeView1->viewport(), Qt::RightButton, {}, empty);
        chooseItem(form.PopupMenu1, "N15"); // Add folder "Pots"
        QTest::mouseClick(form.TreeView1->viewport(), Qt::RightButton, {}, empty);
        chooseItem(form.PopupMenu1, "N1"); // Add plant "Aloe" at the top
        treeMenu(form, u"Pots"_s, "N1");   // Add plant "Echeveria" into Pots
        clickNode(form, u"Aloe"_s, Qt::RightButton);
        form.PopupMenu1->findChild<QAction*>(u"N14"_s)->trigger(); // To treat
        form.PopupMenu1->hide();
        form.close();
    }
    Companion cli;
    const QString p = byCommand.path();
    EXPECT_EQ(cli({u"add"_s, p, u"Roses"_s, u"Pots"_s, u"--folder"_s}).code, 0);
    EXPECT_EQ(cli({u"add"_s, p, u"Roses"_s, u"Aloe  "_s}).code, 0);
    EXPECT_EQ(cli({u"add"_s, p, u"Roses"_s, u"Pots/Echeveria"_s}).code, 0);
    EXPECT_EQ(cli({u"mark"_s, p, u"Roses"_s, u"Aloe"_s, u"treat"_s}).code, 0);
    // The window also selects the folders it shows first or opens the menu on, which makes their
    // records and pages, and its bar build writes the group's record: compare the rest.
    auto windowSide = filesUnder(byWindow.file(u"MyPlants/Roses"_s), {}, true);
    auto commandSide = filesUnder(byCommand.file(u"MyPlants/Roses"_s), {}, true);
    windowSide.remove(u"group.ini"_s);
    commandSide.remove(u"group.ini"_s);
    for (const QString& key : windowSide.keys())
        if (!commandSide.contains(key) && (key.startsWith(u"Pots/"_s) || key.startsWith(u"Shrubs/"_s)) &&
            key.count(u'/') == 1)
            windowSide.remove(key);
    EXPECT_EQ(windowSide.keys().join(u' ').toStdString(), commandSide.keys().join(u' ').toStdString());
    for (const QString& key : windowSide.keys())
        EXPECT_EQ(windowSide[key].toStdString(), commandSide.value(key).toStdString()) << key.toStdString();
}

TEST(CliWrite, HelpAndUsage)
{
    Companion cli;
    const CliOutcome all = cli({u"--help"_s});
    EXPECT_EQ(all.code, 0);
    for (const char* c :
         {"add", "rename", "remove", "mark", "import-page", "add-photo", "move", "add-group"}) {
        EXPECT_TRUE(all.out.contains(u"verdarium-cli "_s + u8(c) + u' ')) << c;
        const CliOutcome one = cli({u8(c), u"--help"_s});
        EXPECT_EQ(one.code, 0);
        EXPECT_TRUE(one.out.contains(u"Example:"_s)) << c;
    }
}
