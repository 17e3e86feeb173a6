// The Language menu and the translation of the window into the language chosen there.
#include "app/mainform.h"

#include "care/carecommands.h"

#include "editor/formatbar.h"
#include "editor/notes.h"
#include "search/findbar.h"
#include "tree/nodefiles.h"
#include "i18n/translate.h"
#include "platform/paths.h"
#include "platform/picturefile.h"
#include "platform/programfolder.h"
#include "search/searchpanel.h"

#include <QActionGroup>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTreeWidget>

#include <utility>

namespace {

// The site every build names after the caption a language gives the window.
const char* const kPartnerSite = "myverdarium.org";

} // namespace

void TMainForm::buildLanguageMenu()
{
    m_language = LanguageFile::load(programfolder::langFile(m_programFolder, QApplication::applicationDirPath()));
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
    i18n::useQtLanguage(m_language, section);
    for (QObject* component : std::initializer_list<QObject*>{this, menuBar(), PopupMenu1, PopupMenu3})
        i18n::translateComponent(component, m_language, section);
    if (QMenu* editorMenu = findChild<QMenu*>(QStringLiteral("PopupMenu2")))
        i18n::translateComponent(editorMenu, m_language, section);
    TreeView1->setStatusTip(m_language.text(section, QStringLiteral("thint"), TreeView1->statusTip()));
    m_caption = m_language.text(section, QStringLiteral("mfcapt"), m_caption);
    m_messages.apply(m_language, section);
    const QString title = m_messages.text(QStringLiteral("u47")).arg(m_caption, QLatin1String(kPartnerSite));
    QApplication::setApplicationDisplayName(title);
    setWindowTitle(title);
    drawBanner();
    fitStatusPanels();
    i18n::retranslateMessages(this, m_messages);
    picturefile::Texts pictures;
    for (auto [text, key] : {std::pair{&pictures.empty, "u68"}, {&pictures.cannotShow, "u69"},
                             {&pictures.cannotRead, "u70"}, {&pictures.gone, "u71"},
                             {&pictures.notPicture, "u72"}, {&pictures.tooLarge, "u73"},
                             {&pictures.damaged, "u74"}})
        *text = m_messages.text(QString::fromLatin1(key));
    picturefile::setTexts(pictures);
    StandardToolBar->ColorBox1->retranslate(m_messages);
    if (auto* field = findChild<QLineEdit*>(QStringLiteral("TreeSearch")))
        field->setPlaceholderText(m_messages.text(QStringLiteral("f1")));
    if (m_searchPanel)
        m_searchPanel->retranslate();
    if (m_findBar)
        m_findBar->retranslate();
    if (isNotesGroup(currentGroupName))
        Label2->setText(notes::heading(m_messages));
    showEmptyTreeHint();
    for (QAction* a : LanguageMenu->actions())
        a->setChecked(a->text() == section);
    m_care->retranslate();
}
