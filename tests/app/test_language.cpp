#include "../support/tempprogramfolder.h"
#include "app/mainform.h"
#include "app/tform3.h"
#include "groups/tform2.h"
#include "i18n/langfile.h"
#include "i18n/translate.h"
#include "photos/photopanel.h"
#include "store/inifile.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

QString u8(const char* s)
{
    return QString::fromUtf8(s);
}

QAction* languageItem(TMainForm& form, const char* name)
{
    return form.LanguageMenu->findChild<QAction*>(u8(name));
}

QPushButton* next(TMainForm& form)
{
    return form.Panel6->findChild<QPushButton*>(u8("Button1"));
}

// Every text a user sees in widget (and the menus given) that carries no text key.
QStringList textsWithoutKeys(QWidget* widget, const QList<QMenu*>& menus)
{
    QStringList missing;
    auto actionTexts = [&](auto&& self, const QList<QAction*>& actions) -> void {
        for (QAction* a : actions) {
            if (a->isSeparator() || a->text().isEmpty() || i18n::isNotTranslated(a))
                continue;
            if (textKeyOf(a) < 1)
                missing << u8("menu item \"") + a->text() + u8("\"");
            else if (a->menu())
                self(self, a->menu()->actions());
        }
    };
    for (QMenu* m : menus)
        actionTexts(actionTexts, m->actions());
    std::function<void(QWidget*)> walk = [&](QWidget* w) {
        for (QObject* child : w->children()) {
            auto* c = qobject_cast<QWidget*>(child);
            // Tool bars are not translated (their buttons are symbols with tips).
            if (!c || qobject_cast<QMenu*>(c) || qobject_cast<QMenuBar*>(c) || qobject_cast<QToolBar*>(c) ||
                i18n::isNotTranslated(c))
                continue;
            QString text;
            if (auto* b = qobject_cast<QAbstractButton*>(c))
                text = b->text();
            else if (auto* l = qobject_cast<QLabel*>(c))
                text = l->text();
            if (!text.trimmed().isEmpty() && textKeyOf(c) < 1)
                missing << QString::fromLatin1(c->metaObject()->className()) + u8(" ") + c->objectName() +
                               u8(" \"") + text + u8("\"");
            walk(c);
        }
    };
    walk(widget);
    return missing;
}

const char* const kLanguages =
    "; shipped with the program\r\n"
    "[Russian]\r\ns46=\xc4\xe0\xeb\xe5\xe5 >>\r\nq2=\xd3\xe4\xe0\xeb\xe8\xf2\xfc?\r\n"
    "mfcapt=\xcc\xee\xe9 \xc2\xe5\xf0\xe4\xe0\xf0\xe8\xe9\r\ns43=\r\n"
    "[English]\r\nS46=Forward >>\r\n"
    "[Russian]\r\ns46=second section of the same name\r\n";

} // namespace

TEST(Language, TheMenuSwitchesTheInterfaceAndRemembersIt)
{
    TempProgramFolder pf;
    pf.write(u8("lang.INI"), kLanguages);
    pf.writeRecord(u8("main.ini"), u8("[Options]\nLanguage=English\n"));
    RecordingSink sink;
    TMainForm form(pf.path(), {}, &sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    // The sections in file order, a name given twice once; the one in force is checked.
    ASSERT_EQ(form.LanguageMenu->actions().size(), 2);
    EXPECT_EQ(languageItem(form, "lang0")->text(), u8("Russian"));
    EXPECT_EQ(languageItem(form, "lang1")->text(), u8("English"));
    EXPECT_TRUE(languageItem(form, "lang1")->isChecked());
    EXPECT_EQ(next(form)->text(), u8("Forward >>")) << "S46 is s46";

    languageItem(form, "lang0")->trigger();
    EXPECT_EQ(next(form)->text(), u8("Далее >>"));
    EXPECT_EQ(form.BitBtn1->text(), QString()) << "an entry with nothing after = is an empty text";
    EXPECT_EQ(form.messages().text(u8("q2")), u8("Удалить?"));
    EXPECT_EQ(IniFile(pf.file(u8("main.ini"))).readString(u"Options", u"Language", QString()), u8("Russian"))
        << "written at once";
    languageItem(form, "lang0")->trigger();
    EXPECT_EQ(form.windowTitle(), u8("Мой Вердарий - Special build for myverdarium.org"))
        << "the suffix once";
    EXPECT_EQ(QApplication::applicationDisplayName(), form.windowTitle());

    // English lacks q2 (the English default comes back) and mfcapt (the caption stays).
    languageItem(form, "lang1")->trigger();
    EXPECT_EQ(form.messages().text(u8("q2")), u8("Remove photo?"));
    EXPECT_EQ(next(form)->text(), u8("Forward >>"));
    EXPECT_EQ(form.BitBtn1->text(), QString()) << "a missing key keeps the text in place";
    EXPECT_TRUE(form.windowTitle().startsWith(u8("Мой Вердарий - Special")));

    // Dialogs made later come up in the language in force.
    languageItem(form, "lang0")->trigger();
    {
        TForm3 progress;
        EXPECT_EQ(progress.Label6->text(), u8("Total files copied:")) << "Russian has no s57 here";
    }
    form.close();
}

TEST(Language, ADialogMadeAfterTheWindowIsGoneStillComesUp)
{
    {
        TempProgramFolder pf;
        pf.write(u8("lang.INI"), kLanguages);
        RecordingSink sink;
        TMainForm form(pf.path(), {}, &sink);
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
        form.close();
    }
    TForm3 progress; // under AddressSanitizer a freed language file would be read here
    EXPECT_EQ(progress.Label6->text(), u8("Total files copied:"));
}

TEST(Language, DialogsTranslateThemselvesAndNumberZeroIsNotSearched)
{
    const LanguageFile file = LanguageFile::parse("[L]\r\ns57=Copied:\r\ns56=Fine\r\ns5=Sub\r\ns9=Top\r\n");
    i18n::setCurrent(&file, u8("L"));
    TForm3 progress;
    EXPECT_EQ(progress.Label6->text(), u8("Copied:"));
    MessageTable messages;
    RecordingSink sink;
    TForm2 editor(messages, sink);
    EXPECT_EQ(editor.findChild<QPushButton*>(u8("Button2"))->text(), u8("Fine"));
    i18n::setCurrent(nullptr, QString());

    QMenu bar;
    QMenu* zero = bar.addMenu(u8("Zero"));
    QAction* inner = zero->addAction(u8("Inner"));
    setTextKey(inner, 5);
    QMenu* top = bar.addMenu(u8("Top"));
    setTextKey(top->menuAction(), 9);
    QAction* sub = top->addAction(u8("Sub item"));
    setTextKey(sub, 5);
    i18n::translateComponent(&bar, file, u8("L"));
    EXPECT_EQ(inner->text(), u8("Inner")) << "under a number-0 item nothing is searched";
    EXPECT_EQ(top->menuAction()->text(), u8("Top"));
    EXPECT_EQ(sub->text(), u8("Sub"));
}

TEST(Language, BadLanguageFilesNeverStopTheProgram)
{
    // A byte-order mark means UTF-8; junk, a huge line and a missing "=" are passed over.
    const LanguageFile utf8 = LanguageFile::parse("\xEF\xBB\xBF[Русский]\r\ns46=Далее\r\n");
    EXPECT_EQ(utf8.sections(), QStringList{u8("Русский")});
    EXPECT_EQ(utf8.text(u8("русский"), u8("S46"), QString()), u8("Далее"));
    QByteArray junk(4096, '\0');
    for (int i = 0; i < junk.size(); ++i)
        junk[i] = static_cast<char>((i * 131) & 0xFF);
    const QByteArray huge =
        "[Big]\r\ns1=" + QByteArray(10 * 1024 * 1024, 'x') + "\r\ns2 no equals\r\ns3 = a = b \r\n";
    const LanguageFile big = LanguageFile::parse(junk + "\r\n" + huge);
    EXPECT_EQ(big.text(u8("Big"), u8("s1"), QString()).size(), 10 * 1024 * 1024);
    EXPECT_FALSE(big.entry(u8("Big"), u8("s2")).has_value());
    EXPECT_EQ(big.text(u8("Big"), u8("s3"), QString()), u8("a = b"));

    // No lang.INI at all: an empty menu and the built-in texts.
    TempProgramFolder pf;
    RecordingSink sink;
    TMainForm form(pf.path(), {}, &sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_TRUE(form.LanguageMenu->actions().isEmpty());
    EXPECT_EQ(next(form)->text(), u8("Next >>"));
    form.close();
}

TEST(Language, EveryTextTheUserSeesCarriesItsKey)
{
    TempProgramFolder pf;
    RecordingSink sink;
    TMainForm form(pf.path(), {}, &sink);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QList<QMenu*> menus{form.PopupMenu1, form.PopupMenu3};
    for (QAction* a : form.menuBar()->actions())
        if (a->menu() && a->menu() != form.LanguageMenu)
            menus << a->menu();
    for (QAction* a : form.menuBar()->actions()) {
        if (a->menu() != form.LanguageMenu) {
            EXPECT_GE(textKeyOf(a), 1) << a->text().toStdString();
        }
    }
    EXPECT_EQ(textsWithoutKeys(&form, menus).join(u8("; ")).toStdString(), "");
    MessageTable messages;
    TForm2 editor(messages, sink);
    EXPECT_EQ(textsWithoutKeys(&editor, {}).join(u8("; ")).toStdString(), "");
    TForm3 progress;
    EXPECT_EQ(textsWithoutKeys(&progress, {}).join(u8("; ")).toStdString(), "");
    form.close();
}
