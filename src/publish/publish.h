#pragma once

#include "platform/iostatus.h"

#include <QString>
#include <QStringList>

#include <functional>

class MessageTable;

// The collection shown to others: a small static website any web host (or a USB stick) serves, and
// the plant list as a spreadsheet (CSV).
namespace publish {

// The site's own words, in the interface language (English when none is given).
struct Texts {
    QString title = QStringLiteral("My Verdarium");
    QString description = QStringLiteral("Description");
    QString care = QStringLiteral("Care");
    QString diary = QStringLiteral("Diary");
    QString photos = QStringLiteral("Photos");
    QString notes = QStringLiteral("Notes");
    QString fullSize = QStringLiteral("Full size");
    QString unreadable = QStringLiteral("This photo could not be read.");
    QString back = QStringLiteral("Back");
    // The condition marks 0..5 in words (1 is a folder's and is never shown).
    QStringList marks = {QString(), QString(), QStringLiteral("Ideal condition"),
                         QStringLiteral("Urgently to replace!"), QStringLiteral("To replace"),
                         QStringLiteral("To treat")};
    // The spreadsheet's header.
    QStringList columns = {QStringLiteral("Group"), QStringLiteral("Folder"), QStringLiteral("Plant"),
                           QStringLiteral("Condition"), QStringLiteral("Photos"), QStringLiteral("Description"),
                           QStringLiteral("Care tasks")};
};

// The texts from a message table (the interface language in force).
Texts textsFrom(const MessageTable& messages);

struct Options {
    QString outDir;
    QString group; // one group only; all the bar's groups when empty
    bool withDiary = false;
    bool fullPhotos = false;
    bool withNotes = false;
    Texts texts;
    std::function<void(int done, int total)> progress; // after each plant
};

struct Result {
    bool ok = false;
    QString error;       // one line: why nothing changed
    QStringList problems; // photos that could not be read, names made alike (the site was made)
    int plants = 0;
    int written = 0; // files written anew
    int kept = 0;    // files the last publish left as they are
};

// Publishes the collection (or one group) into outDir: index.html with the groups, a page per group
// with its folders and plants, a page per plant with its Description and Care (the Diary when asked)
// and its photos' web copies with their comments. Relative links only, file names safe for any server.
// The new site is made beside outDir and put in its place in one step, so outDir holds the old site
// or the new one, never half of either; files unchanged since the last publish are kept as they are.
// outDir must not be inside the collection nor hold files the program did not publish.
Result publishSite(const QString& programFolder, const Options& options);

// The plant list: one row per plant (group, folder, name, condition in words, number of photos, the
// first line of the Description, care tasks), UTF-8, CR LF, RFC 4180 quoting, a header first.
QByteArray plantList(const QString& programFolder, const Texts& texts = {});
// The plant list written to path.
IoStatus writePlantList(const QString& programFolder, const QString& path, const Texts& texts);

// A file name any web server serves: Cyrillic transliterated, lower case, a-z 0-9 and "-".
QString safeName(const QString& name);

} // namespace publish
