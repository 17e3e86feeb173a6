#include "i18n/translate.h"

#include "i18n/langfile.h"
#include "i18n/messages.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAction>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QTranslator>
#include <QWidget>

namespace i18n {

namespace {

const LanguageFile* g_file = nullptr;
QString g_section;

QString entryFor(const QObject* o, const QString& current, const LanguageFile& file, const QString& section)
{
    return file.text(section, QStringLiteral("s") + QString::number(textKeyOf(o)), current);
}

void translateActions(const QList<QAction*>& actions, const LanguageFile& file, const QString& section)
{
    for (QAction* a : actions)
        translateComponent(a, file, section);
}

} // namespace

void translateComponent(QObject* k, const LanguageFile& file, const QString& section)
{
    if (auto* a = qobject_cast<QAction*>(k)) {
        if (textKeyOf(a) < 1)
            return; // and its sub-items with it
        a->setText(entryFor(a, a->text(), file, section));
        if (QMenu* m = a->menu())
            translateActions(m->actions(), file, section);
        return;
    }
    if (qobject_cast<QMenuBar*>(k) || qobject_cast<QMenu*>(k)) {
        translateActions(static_cast<QWidget*>(k)->actions(), file, section);
        return;
    }
    if (auto* b = qobject_cast<QAbstractButton*>(k)) {
        if (textKeyOf(b) > 0)
            b->setText(entryFor(b, b->text(), file, section));
        return;
    }
    if (auto* l = qobject_cast<QLabel*>(k)) {
        if (textKeyOf(l) > 0)
            l->setText(entryFor(l, l->text(), file, section));
        return;
    }
    auto* w = qobject_cast<QWidget*>(k);
    if (!w || qobject_cast<QToolBar*>(w) || qobject_cast<QGroupBox*>(w) || qobject_cast<QStatusBar*>(w) ||
        qobject_cast<QAbstractScrollArea*>(w))
        return;
    for (QObject* child : w->children())
        if (child->isWidgetType() && !qobject_cast<QMenuBar*>(child) && !qobject_cast<QMenu*>(child))
            translateComponent(child, file, section);
}

void setCurrent(const LanguageFile* file, const QString& section)
{
    g_file = file;
    g_section = section;
}

QString message(const char* key)
{
    const QString k = QString::fromLatin1(key);
    const QString english = MessageTable::englishDefault(k);
    return g_file ? g_file->text(g_section, k, english) : english;
}

void translateWithCurrent(QWidget* dialog)
{
    if (g_file)
        translateComponent(dialog, *g_file, g_section);
}

void markNotTranslated(QObject* control)
{
    control->setProperty("notTranslated", true);
}

bool isNotTranslated(const QObject* control)
{
    return control->property("notTranslated").toBool();
}

namespace {

const char* const kTextMessage = "textMessage";
const char* const kHintMessage = "hintMessage";

void setTextOf(QObject* o, const QString& text)
{
    if (auto* a = qobject_cast<QAction*>(o))
        a->setText(text);
    else if (auto* m = qobject_cast<QMenu*>(o))
        m->setTitle(text);
    else if (auto* b = qobject_cast<QAbstractButton*>(o))
        b->setText(text);
    else if (auto* l = qobject_cast<QLabel*>(o))
        l->setText(text);
    else if (auto* g = qobject_cast<QGroupBox*>(o))
        g->setTitle(text);
    else if (auto* e = qobject_cast<QLineEdit*>(o))
        e->setPlaceholderText(text);
    else if (auto* w = qobject_cast<QWidget*>(o))
        w->setWindowTitle(text);
}

void setHintOf(QObject* o, const QString& hint)
{
    const qsizetype bar = hint.indexOf(u'|');
    const QString tip = bar < 0 ? hint : hint.left(bar);
    const QString status = bar < 0 ? hint : hint.mid(bar + 1);
    if (auto* a = qobject_cast<QAction*>(o)) {
        a->setToolTip(tip);
        a->setStatusTip(status);
    } else if (auto* w = qobject_cast<QWidget*>(o)) {
        w->setToolTip(tip);
        w->setStatusTip(status);
    }
}

QTranslator* g_qtTranslator = nullptr;

} // namespace

void setTextMessage(QObject* control, const char* key)
{
    control->setProperty(kTextMessage, QString::fromLatin1(key));
    setTextOf(control, MessageTable::englishDefault(QString::fromLatin1(key)));
}

void setHintMessage(QObject* control, const char* key)
{
    control->setProperty(kHintMessage, QString::fromLatin1(key));
    setHintOf(control, MessageTable::englishDefault(QString::fromLatin1(key)));
}

void retranslateMessages(QObject* root, const MessageTable& messages)
{
    QList<QObject*> all = root->findChildren<QObject*>();
    all.prepend(root);
    for (QObject* o : all) {
        const QString text = o->property(kTextMessage).toString();
        if (!text.isEmpty())
            setTextOf(o, messages.text(text));
        const QString hint = o->property(kHintMessage).toString();
        if (!hint.isEmpty())
            setHintOf(o, messages.text(hint));
    }
}

void useQtLanguage(const LanguageFile& file, const QString& section)
{
    const QLocale locale = file.locale(section);
    QLocale::setDefault(locale);
    if (g_qtTranslator) {
        QCoreApplication::removeTranslator(g_qtTranslator);
        delete g_qtTranslator;
        g_qtTranslator = nullptr;
    }
    if (locale.language() == QLocale::English || locale.language() == QLocale::C)
        return; // Qt speaks English itself
    auto* t = new QTranslator;
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (t->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), folder) ||
        t->load(locale, QStringLiteral("qt"), QStringLiteral("_"), folder)) {
        QCoreApplication::installTranslator(t);
        g_qtTranslator = t;
    } else {
        delete t;
    }
}

} // namespace i18n

