// The window's side of publishing (src/publish/publishcommands): its actions put in the File menu.
#include "app/mainform.h"

#include "publish/publishcommands.h"

#include <QMenu>
#include <QStatusBar>

void TMainForm::buildPublishItems(QMenu* file)
{
    PublishCommands::Hooks hooks;
    hooks.saveFirst = [this] { return FileSave(); };
    hooks.say = [this](const QString& text) { StatusBar->showMessage(text, 10000); };
    hooks.warn = [this](const QString& text) { showError(text); };
    m_publish = new PublishCommands(m_programFolder, m_messages, *m_sink, this, std::move(hooks));
    file->insertAction(m_removedItems, m_publish->site());
    file->insertAction(m_removedItems, m_publish->list());
    file->insertSeparator(m_removedItems);
}
