#include "../support/windowevents.h"

using namespace Qt::StringLiterals;

TEST(ThirdLook, EnterConfirmsTheGroupEditor)
{
    TempProgramFolder pf;
    pf.layOut({u"Roses"_s}, {u"Roses/Tea=0"_s});
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    whenModal<TForm2>([](TForm2* editor) {
        QTest::keyClicks(editor->Edit1, u"Ferns"_s);
        QTest::keyClick(editor->Edit1, Qt::Key_Return);
    });
    menuBarItem(form, "File1", "dg");
    EXPECT_TRUE(QTest::qWaitFor([&] { return pf.exists(u"MyPlants/Ferns/group.ini"_s); }));
    whenModal<TForm2>([](TForm2* editor) {
        QTest::keyClicks(editor->Edit1, u"Mosses"_s);
        QTest::keyClick(editor->Edit1, Qt::Key_Escape);
    });
    menuBarItem(form, "File1", "dg");
    QApplication::processEvents();
    EXPECT_FALSE(pf.exists(u"MyPlants/Mosses"_s)) << "Escape cancels";
}
