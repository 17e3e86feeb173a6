#pragma once

#include <QObject>
#include <QString>

#include <functional>

class MessageSink;
class MessageTable;
class QAction;
class QWidget;

// The window's publishing commands: File › Publish as website... and Export plant list.... The window
// puts the actions in its menu and answers through the hooks.
class PublishCommands : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        std::function<bool()> saveFirst;               // the page on show written; false stops
        std::function<void(const QString& text)> say;  // a line in the status bar
        std::function<void(const QString& text)> warn; // a problem the window shows
    };
    PublishCommands(const QString& programFolder, const MessageTable& messages, MessageSink& sink, QWidget* window,
                    Hooks hooks);

    QAction* site() const { return m_site; }
    QAction* list() const { return m_list; }

    // The plant list's save dialog (tests answer it): the proposed path in, the chosen one out.
    std::function<QString(const QString& proposed)> askPlantListPath;

private:
    void publishSite();
    void exportPlantList();

    QString m_programFolder;
    const MessageTable& m_messages;
    MessageSink& m_sink;
    QWidget* m_window;
    Hooks m_hooks;
    QString m_lastSite; // where the site went last, proposed again
    QAction* m_site = nullptr;
    QAction* m_list = nullptr;
};
