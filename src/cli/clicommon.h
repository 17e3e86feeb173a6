#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <optional>

class MessageTable;

// What the companion's commands share: exit codes, the one error line, and finding a group or a
// node of the collection as the window's tree shows it.
namespace cli {

inline constexpr int kDone = 0;
inline constexpr int kFailed = 1;
inline constexpr int kUsage = 2;

// A command's words after the command name: positional arguments and the --options given.
struct Args {
    QString programFolder;
    QStringList positional;     // after the program folder, for commands that take one
    bool folder = false;        // --folder
    QString format;             // --format
    std::optional<int> color;   // --color
    std::optional<int> picture; // --picture
    QString version;            // --version
    bool force = false;         // --force: write although the lock names another computer
    QString keep;               // --keep of resolve: page or copy
    // The care schedule's options, as given (null when not): --task, --every, --start, --season,
    // --date, --days.
    QString task;
    QString every;
    QString start;
    QString season;
    QString date;
    QString days;
    // publish's options.
    QString group;
    bool withDiary = false;
    bool fullPhotos = false;
    bool withNotes = false;
};

// The messages of the program's interface language (main.ini's Language, lang.INI), for what the
// companion writes into the collection or a site; the locale of dates set to it too.
MessageTable interfaceMessages(const QString& programFolder);

// Prints "verdarium-cli: " + line and returns kFailed.
int fail(QTextStream& err, const QString& line);

// A group that exists and is shown in the bar, or the notes group.
bool findGroup(const QString& programFolder, const QString& group, QTextStream& err);

// A node of a group's tree: NODE is NAME or FOLDER/NAME.
struct Node {
    QString group;
    QString parent; // the folder holding the node, empty at the top level
    QString name;
    QString folder; // its folder on disk
    bool isFolder = false;
    bool hasChildren = false;
};
// The node as the tree shows it; std::nullopt after an error line. Reading may also reach a node
// folder the tree does not show (anyOnDisk).
std::optional<Node> findNode(const QString& programFolder, const QString& group, const QString& node,
                             QTextStream& err, bool anyOnDisk = false);
// Splits NODE into parent and name; false after an error line when it is deeper than one folder or
// holds an empty name.
bool splitNode(const QString& node, QString* parent, QString* name, QTextStream& err);

int groups(const Args& a, QTextStream& out, QTextStream& err);
int tree(const Args& a, QTextStream& out, QTextStream& err);
int page(const Args& a, QTextStream& out, QTextStream& err);
int resize(const Args& a, QTextStream& out, QTextStream& err);
int exportWeb(const Args& a, QTextStream& out, QTextStream& err);

int add(const Args& a, QTextStream& out, QTextStream& err);
int rename(const Args& a, QTextStream& out, QTextStream& err);
int remove(const Args& a, QTextStream& out, QTextStream& err);
int mark(const Args& a, QTextStream& out, QTextStream& err);
int importPage(const Args& a, QTextStream& out, QTextStream& err);
int addPhoto(const Args& a, QTextStream& out, QTextStream& err);
int move(const Args& a, QTextStream& out, QTextStream& err);
int addGroup(const Args& a, QTextStream& out, QTextStream& err);
int convertOlder(const Args& a, QTextStream& out, QTextStream& err);
int search(const Args& a, QTextStream& out, QTextStream& err);

int schedule(const Args& a, QTextStream& out, QTextStream& err);
int unschedule(const Args& a, QTextStream& out, QTextStream& err);
int due(const Args& a, QTextStream& out, QTextStream& err);
int done(const Args& a, QTextStream& out, QTextStream& err);
int exportCalendar(const Args& a, QTextStream& out, QTextStream& err);

int publishSite(const Args& a, QTextStream& out, QTextStream& err);
int exportCsv(const Args& a, QTextStream& out, QTextStream& err);

int removedItems(const Args& a, QTextStream& out, QTextStream& err);
int restoreItem(const Args& a, QTextStream& out, QTextStream& err);
int history(const Args& a, QTextStream& out, QTextStream& err);
int restorePage(const Args& a, QTextStream& out, QTextStream& err);
int conflictCopies(const Args& a, QTextStream& out, QTextStream& err);
int resolveConflict(const Args& a, QTextStream& out, QTextStream& err);

} // namespace cli
