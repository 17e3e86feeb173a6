#include "../support/windowevents.h"
#include "app/tform3.h"
#include "i18n/langfile.h"
#include "i18n/translate.h"

#include <QAbstractButton>
#include <QToolBar>

using namespace Qt::StringLiterals;

namespace {

QAction* languageItem(TMainForm& form, const char* name)
{
    return form.LanguageMenu->findChild<QAction*>(u8(name));
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
                missing << u"menu item \""_s + a->text() + u"\""_s;
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
                missing << QString::fromLatin1(c->metaObject()->className()) + u" "_s + c->objectName() +
                               u" \""_s + text + u"\""_s;
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
    {
        TempProgramFolder pf;
        pf.write(u"lang.INI"_s, kLanguages);
        pf.writeRecord(u"main.ini"_s, u"[Options]\nLanguage=English\n"_s);
        RecordingSink sink;
        ShownForm form(pf.path(), &sink);
        // The sections in file order, a name given twice once; the one in force is checked.
        ASSERT_EQ(form.LanguageMenu->actions().size(), 2);
        EXPECT_EQ(languageItem(form, "lang0")->text(), u"Russian"_s);
        EXPECT_EQ(languageItem(form, "lang1")->text(), u"English"_s);
        EXPECT_TRUE(languageItem(form, "lang1")->isChecked());
        EXPECT_EQ(form.Panel6->Button1->text(), u"Forward >>"_s) << "S46 is s46";

        menuBarItem(form, "Language1", "lang0");
        EXPECT_EQ(form.Panel6->Button1->text(), u"Далее >>"_s);
        EXPECT_EQ(form.BitBtn1->text(), QString()) << "an entry with nothing after = is an empty text";
        EXPECT_EQ(form.messages().text(u"q2"_s), u"Удалить?"_s);
        EXPECT_EQ(IniFile(pf.file(u"main.ini"_s)).readString(u"Options", u"Language", QString()),
                  u"Russian"_s)
            << "written at once";
        menuBarItem(form, "Language1", "lang0");
        EXPECT_EQ(form.windowTitle(), u"Мой Вердарий - Special build for myverdarium.org"_s)
            << "the suffix once";
        EXPECT_EQ(QApplication::applicationDisplayName(), form.windowTitle());

        // English lacks q2 (the English default comes back) and mfcapt (the caption stays).
        menuBarItem(form, "Language1", "lang1");
        EXPECT_EQ(form.messages().text(u"q2"_s), u"Remove photo?"_s);
        EXPECT_EQ(form.Panel6->Button1->text(), u"Forward >>"_s);
        EXPECT_EQ(form.BitBtn1->text(), QString()) << "a missing key keeps the text in place";
        EXPECT_TRUE(form.windowTitle().startsWith(u"Мой Вердарий - Special"_s));

        // Dialogs made later come up in the language in force.
        menuBarItem(form, "Language1", "lang0");
        {
            TForm3 progress;
            EXPECT_EQ(progress.Label6->text(), u"Total files copied:"_s) << "Russian has no s57 here";
        }
        form.close();
    }
    TForm3 progress; // under AddressSanitizer a freed language file would be read here
    EXPECT_EQ(progress.Label6->text(), u"Total files copied:"_s);
}

TEST(Language, DialogsTranslateThemselvesAndNumberZeroIsNotSearched)
{
    const LanguageFile file = LanguageFile::parse("[L]\r\ns57=Copied:\r\ns56=Fine\r\ns5=Sub\r\ns9=Upper\r\n");
    i18n::setCurrent(&file, u"L"_s);
    TForm3 progress;
    EXPECT_EQ(progress.Label6->text(), u"Copied:"_s);
    MessageTable messages;
    RecordingSink sink;
    TForm2 editor(messages, sink);
    EXPECT_EQ(editor.findChild<QPushButton*>(u"Button2"_s)->text(), u"Fine"_s);
    i18n::setCurrent(nullptr, QString());

    QMenu bar;
    QMenu* zero = bar.addMenu(u"Zero"_s);
    QAction* inner = zero->addAction(u"Inner"_s);
    setTextKey(inner, 5);
    QMenu* top = bar.addMenu(u"Top"_s);
    setTextKey(top->menuAction(), 9);
    QAction* sub = top->addAction(u"Sub item"_s);
    setTextKey(sub, 5);
    i18n::translateComponent(&bar, file, u"L"_s);
    EXPECT_EQ(inner->text(), u"Inner"_s) << "under a number-0 item nothing is searched";
    EXPECT_EQ(top->menuAction()->text(), u"Upper"_s);
    EXPECT_EQ(sub->text(), u"Sub"_s);
}

TEST(Language, BadLanguageFilesNeverStopTheProgram)
{
    // A byte-order mark means UTF-8; junk, a huge line and a missing "=" are passed over.
    const LanguageFile utf8 = LanguageFile::parse("\xEF\xBB\xBF[Русский]\r\ns46=Далее\r\n");
    EXPECT_EQ(utf8.sections(), QStringList{u"Русский"_s});
    EXPECT_EQ(utf8.text(u"русский"_s, u"S46"_s, QString()), u"Далее"_s);
    QByteArray junk(4096, '\0');
    for (int i = 0; i < junk.size(); ++i)
        junk[i] = static_cast<char>((i * 131) & 0xFF);
    const QByteArray huge =
        "[Big]\r\ns1=" + QByteArray(10 * 1024 * 1024, 'x') + "\r\ns2 no equals\r\ns3 = a = b \r\n";
    const LanguageFile big = LanguageFile::parse(junk + "\r\n" + huge);
    EXPECT_EQ(big.text(u"Big"_s, u"s1"_s, QString()).size(), 10 * 1024 * 1024);
    EXPECT_FALSE(big.entry(u"Big"_s, u"s2"_s).has_value());
    EXPECT_EQ(big.text(u"Big"_s, u"s3"_s, QString()), u"a = b"_s);
}

// Without a lang.INI: an empty Language menu, the built-in texts, and a key on every one of them.
TEST(Language, EveryTextTheUserSeesCarriesItsKey)
{
    TempProgramFolder pf;
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    EXPECT_TRUE(form.LanguageMenu->actions().isEmpty());
    EXPECT_EQ(form.Panel6->Button1->text(), u"Next >>"_s);
    QList<QMenu*> menus{form.PopupMenu1, form.PopupMenu3};
    for (QAction* a : form.menuBar()->actions()) {
        if (a->menu() == form.LanguageMenu)
            continue;
        EXPECT_GE(textKeyOf(a), 1) << a->text().toStdString();
        if (a->menu())
            menus << a->menu();
    }
    EXPECT_EQ(textsWithoutKeys(&form, menus).join(u"; "_s).toStdString(), "");
    MessageTable messages;
    TForm2 editor(messages, sink);
    EXPECT_EQ(textsWithoutKeys(&editor, {}).join(u"; "_s).toStdString(), "");
    TForm3 progress;
    EXPECT_EQ(textsWithoutKeys(&progress, {}).join(u"; "_s).toStdString(), "");
}
