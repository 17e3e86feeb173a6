// The Language menu and the translation of the window into the language chosen there.
#include "app/mainform.h"

#include "i18n/translate.h"
#include "platform/paths.h"
#include "search/searchpanel.h"

#include <QActionGroup>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTreeWidget>

namespace {

// The name every build carries after the caption a language gives the window.
const char* const kBuildSuffix = " - Special build for myverdarium.org";

} // namespace

void TMainForm::buildLanguageMenu()
{
    m_language = LanguageFile::load(paths::fixed(m_programFolder, paths::kLangIni));
    auto* group = new QActionGroup(LanguageMenu);
    int n = 0;
    for (const QString& name : m_language.sections()) {
        QAction* a = LanguageMenu->addAction(name);
        a->setObjectName(QStringLiteral("lang%1").arg(n++));
        a->setCheckable(true);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, name] {
            m_settings.language = name;
            applyLanguage(name);
            saveSettingsNow();
        });
    }
}

void TMainForm::applyLanguage(const QString& section)
{
    i18n::setCurrent(&m_language, section);
    for (QObject* component : std::initializer_list<QObject*>{this, menuBar(), PopupMenu1, PopupMenu3})
        i18n::translateComponent(component, m_language, section);
    if (QMenu* editorMenu = findChild<QMenu*>(QStringLiteral("PopupMenu2")))
        i18n::translateComponent(editorMenu, m_language, section);
    TreeView1->setStatusTip(m_language.text(section, QStringLiteral("thint"), TreeView1->statusTip()));
    m_caption = m_language.text(section, QStringLiteral("mfcapt"), m_caption);
    const QString title = m_caption + QString::fromUtf8(kBuildSuffix);
    QApplication::setApplicationDisplayName(title);
    setWindowTitle(title);
    m_messages.apply(m_language, section);
    if (auto* field = findChild<QLineEdit*>(QStringLiteral("TreeSearch")))
        field->setPlaceholderText(m_messages.text(QStringLiteral("f1")));
    if (m_searchPanel)
        m_searchPanel->retranslate();
    showEmptyTreeHint();
    for (QAction* a : LanguageMenu->actions())
        a->setChecked(a->text() == section);
}
