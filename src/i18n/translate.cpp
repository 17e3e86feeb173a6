#include "i18n/translate.h"

#include "i18n/langfile.h"
#include "i18n/messages.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
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

} // namespace i18n
