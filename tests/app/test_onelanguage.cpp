#include "../support/exifjpeg.h"
#include "../support/windowevents.h"
#include "editor/formatbar.h"
#include "i18n/langfile.h"
#include "i18n/translate.h"

#include <QAbstractItemView>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTabBar>
#include <QTextDocumentFragment>
#include <QToolBar>

using namespace Qt::StringLiterals;

namespace {

QByteArray shippedLanguageFile()
{
    QFile f(QStringLiteral(VERDARIUM_LANG_FILE));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

// Every text a user reads on a widget, its menus and what it holds that is in Latin letters, other
// than the user's own (controls marked as showing data) and the names of formats, keys and sites.
class LatinTexts {
public:
    void widget(QWidget* top, const QString& where)
    {
        QList<QWidget*> all = top->findChildren<QWidget*>();
        all.prepend(top);
        for (QWidget* w : all) {
            if (w != top && !w->isVisibleTo(top))
                continue;
            const QString at = where + u' ' + QString::fromLatin1(w->metaObject()->className()) + u' ' +
                               w->objectName();
            if (w->isWindow())
                check(w->windowTitle(), at + u" title"_s);
            check(w->toolTip(), at + u" tip"_s);
            check(w->statusTip(), at + u" hint"_s);
            for (QAction* a : w->actions())
                action(a, at);
            if (i18n::isNotTranslated(w))
                continue;
            if (auto* b = qobject_cast<QAbstractButton*>(w))
                check(b->text(), at);
            else if (auto* l = qobject_cast<QLabel*>(w))
                check(Qt::mightBeRichText(l->text()) ? QTextDocumentFragment::fromHtml(l->text()).toPlainText()
                                                     : l->text(),
                      at);
            else if (auto* e = qobject_cast<QLineEdit*>(w))
                check(e->placeholderText(), at);
            else if (auto* c = qobject_cast<QComboBox*>(w); c && !c->isEditable())
                for (int i = 0; i < c->count(); ++i)
                    check(c->itemText(i), at);
            else if (auto* g = qobject_cast<QGroupBox*>(w))
                check(g->title(), at);
            else if (auto* t = qobject_cast<QTabBar*>(w))
                for (int i = 0; i < t->count(); ++i)
                    check(t->tabText(i), at);
            else if (auto* h = qobject_cast<QHeaderView*>(w); h && h->model())
                for (int i = 0; i < h->count(); ++i)
                    check(h->model()->headerData(i, h->orientation()).toString(), at);
            else if (auto* s = qobject_cast<QStatusBar*>(w))
                check(s->currentMessage(), at);
        }
    }
    void menu(QMenu* m)
    {
        for (QAction* a : m->actions())
            action(a, m->objectName());
    }
    QString report() const { return found.join(u"\n"_s); }

private:
    void action(QAction* a, const QString& where)
    {
        if (a->isSeparator() || i18n::isNotTranslated(a) || (a->menu() && a->menu() == m_skipMenu))
            return;
        const QString at = where + u" item "_s + a->objectName();
        check(a->text(), at);
        if (a->toolTip() != QString(a->text()).remove(u'&').remove(u"..."_s))
            check(a->toolTip(), at + u" tip"_s);
        check(a->statusTip(), at + u" hint"_s);
        if (a->menu() && a->menu() != m_skipMenu)
            menu(a->menu());
    }
public:
    void check(QString text, const QString& where)
    {
        static const QRegularExpression allowed(
            uR"(\b(RTF|BMP|JPE?G|PNG|GIF|HTML|PDF|Ctrl|Shift|Alt|Del|Esc|F\d+|OK|myverdarium\.org|verdarium-cli)\b|\*\.\w+|\S+\.(jpg|bmp|gif|rtf|txt)\b|^/\S*$)"_s);
        static const QRegularExpression latin(u"[A-Za-z]"_s);
        text.remove(allowed);
        if (text.contains(latin) && !found.contains(where))
            found << where + u": "_s + text;
    }

public:
    // The language menu is named in both languages and lists the sections as the file names them.
    QMenu* m_skipMenu = nullptr;
    QStringList found;
    QStringList dialogs; // read so far
};

// Opens a dialog by doing something, reads it, and closes it (Escape, as a user would).
void readDialog(LatinTexts& texts, const QString& name, const std::function<void()>& open,
                const std::function<void(QDialog*)>& inside = {})
{
    bool seen = false;
    QTimer poll; // ends with this function, also when no dialog came
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d || !d->isActiveWindow())
            return;
        poll.stop();
        seen = true;
        if (inside)
            inside(d);
        texts.widget(d, name);
        texts.dialogs << name;
        d->reject();
    });
    poll.start(5);
    open();
    QApplication::processEvents();
    EXPECT_TRUE(QTest::qWaitFor([&] { return seen; }, 3000)) << name.toStdString();
    QApplication::processEvents();
}

} // namespace

// The window in Russian, its menus and the dialogs a user opens from it, with a real collection.
TEST(OneLanguage, RussianThroughout)
{
    TempProgramFolder pf;
    pf.write(u"lang.INI"_s, shippedLanguageFile());
    pf.layOut({u"Кактусы"_s, u"Суккуленты"_s}, {u"Кактусы/Эхинопсис=2"_s, u"Кактусы/Подоконник=1"_s,
                                                u"Кактусы/Подоконник/Маммиллярия=5"_s});
    pf.writeRecord(u"main.ini"_s, u"[Options]\nLanguage=Russian\nLastGroup=Кактусы\n"_s);
    pf.write(u"MyPlants/Кактусы/Эхинопсис/цветок.jpg"_s, exifjpeg::plainJpeg(64, 48, QColor(200, 40, 40)));
    pf.write(u"MyPlants/Кактусы/Эхинопсис/битая.jpg"_s, "\xff\xd8\xff\xe0 damaged");
    ShownForm form(pf.path(), nullptr);
    LatinTexts texts;
    texts.m_skipMenu = form.LanguageMenu;
    clickNode(form, u"Эхинопсис"_s);
    texts.widget(&form, u"window"_s);
    for (QMenu* m : form.menuBar()->findChildren<QMenu*>(Qt::FindDirectChildrenOnly))
        if (m != form.LanguageMenu)
            texts.menu(m);
    for (QMenu* m : {form.PopupMenu1, form.PopupMenu3, form.Editor->PopupMenu2})
        texts.menu(m);
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    texts.widget(form.Panel6, u"photos"_s);
    ASSERT_EQ(form.Panel6->Label3->text(), u"битая.jpg"_s);
    texts.check(form.Panel6->Image4->text(), u"damaged photo"_s);
    EXPECT_FALSE(form.Panel6->Image4->text().isEmpty());
    QTest::mouseClick(form.Panel6->Button1, Qt::LeftButton);

    readDialog(texts, u"add group"_s, [&] { menuBarItem(form, "File1", "dg"); },
               [&](QDialog* d) {
                   if (auto* editor = qobject_cast<TForm2*>(d))
                       readDialog(texts, u"colour"_s,
                                  [&] { QTest::mouseClick(editor->Shape1, Qt::LeftButton); });
               });
    readDialog(texts, u"add plant"_s, [&] { treeMenu(form, u"Подоконник"_s, "N1"); });
    readDialog(texts, u"add folder"_s, [&] { treeMenu(form, u"Эхинопсис"_s, "N15"); });
    readDialog(texts, u"delete plant"_s, [&] { treeMenu(form, u"Эхинопсис"_s, "N7"); });
    readDialog(texts, u"delete group"_s, [&] { groupMenu(form, 2, "N24"); });
    readDialog(texts, u"change group"_s, [&] { groupMenu(form, 1, "N23"); });
    readDialog(texts, u"font"_s, [&] { menuBarItem(form, "Edit1", "miEditFont"); });
    readDialog(texts, u"page history"_s, [&] { menuBarItem(form, "Edit1", "PageHistoryItem"); });
    readDialog(texts, u"removed items"_s, [&] { menuBarItem(form, "File1", "RemovedItemsItem"); });
    readDialog(texts, u"conflicts"_s, [&] { menuBarItem(form, "File1", "ConflictsItem"); });
    readDialog(texts, u"about"_s, [&] { menuBarItem(form, "Help1", "N19"); });
    readDialog(texts, u"print"_s, [&] { menuBarItem(form, "File1", "FilePrintItem"); });
    QTest::mouseClick(form.Button6, Qt::LeftButton);
    readDialog(texts, u"add photo"_s, [&] { QTest::mouseClick(form.Panel6->Button3, Qt::LeftButton); });
    readDialog(texts, u"delete photo"_s, [&] { QTest::mouseClick(form.Panel6->Button8, Qt::LeftButton); });
    QTest::mouseClick(form.Button4, Qt::LeftButton);
    auto* colours = form.StandardToolBar->ColorBox1;
    readDialog(texts, u"custom colour"_s, [&] {
        colours->setFocus();
        QTest::keyClick(colours, Qt::Key_End); // the last item: Custom...
    });
    QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier);
    QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    QApplication::processEvents();
    texts.widget(&form, u"window with find bars"_s);
    // What the status bar says while a page is typed in (the caret's place is made as it moves).
    clickNode(form, u"Эхинопсис"_s);
    QTest::mouseClick(form.Button4, Qt::LeftButton);
    typeText(form.Editor, u"полив"_s);
    for (QLabel* l : form.StatusBar->findChildren<QLabel*>())
        texts.check(l->text(), u"status bar "_s + l->text());
    EXPECT_TRUE(form.Editor->document()->isModified());
    EXPECT_EQ(texts.dialogs.size(), 16) << texts.dialogs.join(u", "_s).toStdString();
    EXPECT_EQ(texts.report().toStdString(), "");
}

// Switching the language changes what is already on the screen: the notes group's heading and the
// find bar's answer.
TEST(OneLanguage, ASwitchReachesWhatIsShown)
{
    TempProgramFolder pf;
    pf.write(u"lang.INI"_s, shippedLanguageFile());
    pf.layOut({u"Кактусы"_s}, {u"Кактусы/Эхинопсис=2"_s});
    pf.writeRecord(u"main.ini"_s, u"[Options]\nLanguage=English\nLastGroup=Кактусы\n"_s);
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    QTest::mouseClick(form.BitBtn1, Qt::LeftButton);
    EXPECT_EQ(form.Label2->text(), u"Notes"_s);
    menuBarItem(form, "Language1", "lang0");
    EXPECT_EQ(form.Label2->text(), u"Заметки"_s);
    menuBarItem(form, "Language1", "lang1");
    EXPECT_EQ(form.Label2->text(), u"Notes"_s);

    QTest::mouseClick(form.Frame11->picture(1), Qt::LeftButton);
    clickNode(form, u"Эхинопсис"_s);
    QApplication::setActiveWindow(&form);
    QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier);
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    ASSERT_EQ(QApplication::focusWidget()->objectName(), u"FindText"_s);
    QTest::keyClicks(QApplication::focusWidget(), u"qqq"_s);
    auto* state = form.findChild<QLabel*>(u"FindState"_s);
    EXPECT_EQ(state->text(), u"Not found"_s);
    menuBarItem(form, "Language1", "lang0");
    EXPECT_EQ(state->text(), u"Не найдено"_s);
}

// Every text of ours has its key in both shipped languages.
TEST(OneLanguage, TheShippedFileHasEveryKeyInBothLanguages)
{
    const LanguageFile file = LanguageFile::parse(shippedLanguageFile());
    QStringList keys = MessageTable::keys();
    TempProgramFolder pf;
    RecordingSink sink;
    ShownForm form(pf.path(), &sink);
    QList<QObject*> all = form.findChildren<QObject*>();
    for (QObject* o : all)
        if (textKeyOf(o) > 0)
            keys << u"s"_s + QString::number(textKeyOf(o));
    keys.removeDuplicates();
    for (const QString& section : {u"Russian"_s, u"English"_s})
        for (const QString& key : keys)
            EXPECT_TRUE(file.entry(section, key).has_value()) << section.toStdString() << " lacks " << key.toStdString();
}
