#include "cli/cli.h"

#include "cli/clicommon.h"
#include "platform/linkguard.h"
#include "platform/paths.h"
#include "platform/programfolder.h"
#include "store/collection.h"
#include "store/leftovers.h"
#include "sync/collectionlock.h"

#include <QCoreApplication>
#include <QDir>

#include <functional>
#include <optional>

namespace {

using Command = std::function<int(const cli::Args&, QTextStream&, QTextStream&)>;

struct CommandInfo {
    const char* name;
    const char* synopsis; // the arguments after the name
    const char* help;
    const char* example;
    int minArgs; // positional arguments, the program folder included where it is taken
    int maxArgs;
    bool programFolder; // the first argument is the program folder
    bool writes;        // takes the single-instance lock
    Command run;
};

const CommandInfo kCommands[] = {
    {"groups", "[PROGRAM_FOLDER]", "Lists every group of the bar: slot, name, picture and colour.",
     "verdarium-cli groups ~/Verdarium", 1, 1, true, false, cli::groups},
    {"tree", "[PROGRAM_FOLDER] GROUP", "Shows a group's tree as the program shows it, with the marks.",
     "verdarium-cli tree ~/Verdarium Succulents", 2, 2, true, false, cli::tree},
    {"page", "[PROGRAM_FOLDER] GROUP NODE [description|care|diary] [--format txt|html|rtf] [--version ID]",
     "Prints a page. txt (the default) is plain text with list markers, html the page as HTML, rtf\n"
     "exactly the bytes the program would save for the page now. --version prints an earlier version\n"
     "of the page (verdarium-cli history lists them).",
     "verdarium-cli page ~/Verdarium Succulents Cacti/Opuntia care --format html > care.html", 3, 4, true,
     false, cli::page},
    {"resize", "IN.jpg|IN.bmp WIDTH HEIGHT OUT.bmp",
     "Resamples a picture with the group pictures' resampler into a 24-bit bitmap.",
     "verdarium-cli resize photo.jpg 70 65 small.bmp", 4, 4, false, false, cli::resize},
    {"export-web", "PHOTO OUT.jpg", "Makes the web copy of a photo (400 pixels wide, under 49,500 bytes).",
     "verdarium-cli export-web p1.jpg web.jpg", 2, 2, false, false, cli::exportWeb},
    {"add", "[PROGRAM_FOLDER] GROUP NODE [--folder]",
     "Adds a plant (its pages from the group's templates and its record), or with --folder a folder,\n"
     "as the tree's menu does. A name the group's tree already has is refused.",
     "verdarium-cli add ~/Verdarium Succulents Cacti/Opuntia", 3, 3, true, true, cli::add},
    {"rename", "[PROGRAM_FOLDER] GROUP NODE NEWNAME",
     "Renames a plant or folder; prints the name it got (\" 1\", \" 2\" ... is added when the name is "
     "taken).",
     "verdarium-cli rename ~/Verdarium Succulents Aloe \"Aloe vera\"", 4, 4, true, true, cli::rename},
    {"remove", "[PROGRAM_FOLDER] GROUP NODE",
     "Removes a plant, or a folder without plants, by giving it a removed name; prints that name.",
     "verdarium-cli remove ~/Verdarium Succulents Aloe", 3, 3, true, true, cli::remove},
    {"mark", "[PROGRAM_FOLDER] GROUP NODE none|ideal|urgent|replace|treat", "Sets a plant's condition mark.",
     "verdarium-cli mark ~/Verdarium Succulents Aloe treat", 4, 4, true, true, cli::mark},
    {"import-page", "[PROGRAM_FOLDER] GROUP NODE description|care|diary FILE",
     "Replaces a page with a document: RTF, HTML (.html, .htm), Markdown (.md) or plain text (UTF-8 or\n"
     "Windows-1251). FILE - reads standard input. The page is written as the program saves it.",
     "verdarium-cli import-page ~/Verdarium Succulents Aloe care care.md", 5, 5, true, true, cli::importPage},
    {"add-photo", "[PROGRAM_FOLDER] GROUP NODE FILE [COMMENT]",
     "Copies a photo (JPEG, BMP or GIF) into a node's album under its own name, with its comment.",
     "verdarium-cli add-photo ~/Verdarium Succulents Aloe ~/Pictures/aloe.jpg \"First flower\"", 4, 5, true,
     true, cli::addPhoto},
    {"move", "[PROGRAM_FOLDER] GROUP NODE GROUP2|GROUP2/FOLDER",
     "Sends a plant or folder to another group, or a plant into a folder, as Send to and drops do.",
     "verdarium-cli move ~/Verdarium Succulents Aloe \"Decoratively blossoming\"", 4, 4, true, true,
     cli::move},
    {"add-group", "[PROGRAM_FOLDER] NAME [--color N] [--picture N]",
     "Adds a group; N of --color is 0x00BBGGRR in decimal (default 16777215, white), --picture 1..24.",
     "verdarium-cli add-group ~/Verdarium Orchids --color 13434828 --picture 17", 2, 2, true, true,
     cli::addGroup},
    {"convert", "[PROGRAM_FOLDER]",
     "Converts a collection kept by the previous version (plants, group1.ini ... group10.ini and the\n"
     "groups in main.ini) into MyPlants, as the program offers at its start; running the command is the\n"
     "answer Yes. The older layout is only read; group1.ini is renamed to group1.bak when it is done.\n"
     "A full disk or a group without a readable list gives exit code 1 and keeps group1.ini, so it can\n"
     "be run again. Progress goes to standard error.",
     "verdarium-cli convert ~/Verdarium", 1, 1, true, true, cli::convertOlder},
    {"removed", "[PROGRAM_FOLDER]",
     "Lists every removed group, folder and plant: its path under MyPlants, its original name and when\n"
     "it was removed, tab-separated, newest first.",
     "verdarium-cli removed ~/Verdarium", 1, 1, true, false, cli::removedItems},
    {"restore", "[PROGRAM_FOLDER] PATH",
     "Brings back a removed item (PATH as removed lists it) under its original name in its place, or\n"
     "\"NAME 1\", \"NAME 2\" ... when that is taken; prints the name it got. A plant of a removed folder\n"
     "brings its folder back too.",
     "verdarium-cli restore ~/Verdarium \"Succulents/!deleted_Aloe_4711\"", 2, 2, true, true,
     cli::restoreItem},
    {"history", "[PROGRAM_FOLDER] GROUP NODE description|care|diary",
     "Lists the kept versions of a page, newest first: version id, date and time, bytes.",
     "verdarium-cli history ~/Verdarium Succulents Aloe care", 4, 4, true, false, cli::history},
    {"restore-page", "[PROGRAM_FOLDER] GROUP NODE description|care|diary ID",
     "Puts a version of a page back; the page as it was becomes a version itself.",
     "verdarium-cli restore-page ~/Verdarium Succulents Aloe care 20261207-101500-000", 5, 5, true, true,
     cli::restorePage},
    {"search", "[PROGRAM_FOLDER] WORD...",
     "Prints one line per node holding every word (as the start of a word, without regard to case, \"ё\"\n"
     "as \"е\"): group, node and where it matched (name, description, care, diary, comments), tab-\n"
     "separated, in group order then tree order. Exit code 1 when nothing matched. The index is kept\n"
     "in $XDG_CACHE_HOME/my-verdarium/ and brought up to date first.",
     "verdarium-cli search ~/Verdarium полив фунгицид", 2, 1000, true, false, cli::search},
    {"conflicts", "[PROGRAM_FOLDER]",
     "Lists the conflict copies sync engines (Syncthing, Nextcloud, ownCloud, Dropbox) left beside\n"
     "pages, records and comments, one a line, tab-separated: group, node, what (description, care,\n"
     "diary, record, or comment PHOTO) and the copy's file name.",
     "verdarium-cli conflicts ~/Verdarium", 1, 1, true, false, cli::conflictCopies},
    {"resolve", "[PROGRAM_FOLDER] GROUP NODE FILE --keep page|copy",
     "Ends a conflict: --keep page keeps the file as it is, --keep copy makes the copy's text the\n"
     "file. The other text is kept (a page's as a version in its history, a record's or comment's in\n"
     "the trash) and the copy goes. NODE is empty (\"\") for a group's own record.",
     "verdarium-cli resolve ~/Verdarium Succulents Aloe care.sync-conflict-20261207-120000-ABCDEFG.rtf "
     "--keep page",
     4, 4, true, true, cli::resolveConflict},
    {"schedule",
     "[PROGRAM_FOLDER] GROUP [NODE] --task NAME --every Nd|Nw|Nm|Ny [--start YYYY-MM-DD] [--season M-M]",
     "Sets a recurring care task (watering, feeding, repotting) on a plant, on a folder for its plants,\n"
     "or with NODE left out on the whole group; a plant's own task overrides a folder's or group's of\n"
     "the same name. --every: N days, weeks, months or years; --start: the first date it falls due\n"
     "(today when left out); --season: the months it applies in (10-3 runs across the year's end).\n"
     "Setting a task again changes it.",
     "verdarium-cli schedule ~/Verdarium Succulents --task Watering --every 10d --season 4-9", 2, 3, true,
     true, cli::schedule},
    {"unschedule", "[PROGRAM_FOLDER] GROUP [NODE] --task NAME",
     "Takes a care task off a plant, folder or (NODE left out) group.",
     "verdarium-cli unschedule ~/Verdarium Succulents --task Watering", 2, 3, true, true, cli::unschedule},
    {"due", "[PROGRAM_FOLDER] [--date YYYY-MM-DD] [--days N]",
     "Prints one line per plant's task falling due up to the date (today when left out) and N days\n"
     "after it, overdue ones included, oldest first, tab-separated: the date it falls due, group, node\n"
     "and task.",
     "verdarium-cli due ~/Verdarium --days 7", 1, 1, true, false, cli::due},
    {"done", "[PROGRAM_FOLDER] GROUP NODE --task NAME [--date YYYY-MM-DD]",
     "Marks a plant's care task done (today when --date is left out): a dated line is added to the\n"
     "plant's Diary (the page as it was stays in its history) and the date is kept in its record.",
     "verdarium-cli done ~/Verdarium Succulents Cacti/Opuntia --task Watering", 3, 3, true, true, cli::done},
    {"calendar", "[PROGRAM_FOLDER] OUT.ics",
     "Writes the care schedule as an iCalendar file (RFC 5545): one event per task with its\n"
     "recurrence; importing it again updates the same events.",
     "verdarium-cli calendar ~/Verdarium care.ics", 2, 2, true, false, cli::exportCalendar},
    {"publish", "[PROGRAM_FOLDER] OUTDIR [--group GROUP] [--with-diary] [--full-photos] [--with-notes]",
     "Publishes the collection (or one group) as a static website in OUTDIR: index.html with the\n"
     "groups, a page per group and per plant (Description and Care; the Diary with --with-diary), the\n"
     "photos' web copies with their comments (linked to the full photos with --full-photos), the notes\n"
     "only with --with-notes. Relative links only: any web host or a USB stick serves it. The new site\n"
     "takes the old one's place in one step; files unchanged since the last publish are kept as they\n"
     "are. OUTDIR may not be inside the collection nor hold files the program did not publish.",
     "verdarium-cli publish ~/Verdarium ~/public_html/plants --group Succulents", 2, 2, true, false,
     cli::publishSite},
    {"export-csv", "[PROGRAM_FOLDER] OUT.csv",
     "Writes the plant list as CSV (UTF-8, a header, RFC 4180 quoting): group, folder, plant,\n"
     "condition, number of photos, the first line of the Description and the care tasks.",
     "verdarium-cli export-csv ~/Verdarium plants.csv", 2, 2, true, false, cli::exportCsv},
};

const CommandInfo* findCommand(const QString& name)
{
    for (const CommandInfo& c : kCommands)
        if (name == QLatin1String(c.name))
            return &c;
    return nullptr;
}

void usage(QTextStream& err)
{
    err << "usage: verdarium-cli COMMAND ARGUMENTS   (verdarium-cli COMMAND --help for more)\n";
    for (const CommandInfo& c : kCommands)
        err << "       verdarium-cli " << c.name << ' ' << c.synopsis << '\n';
    err << "NODE is PLANT, FOLDER or FOLDER/PLANT. Writing commands take the collection's lock\n"
           "(MyPlants/.verdarium-lock): they refuse while My Verdarium or another command writes the\n"
           "collection, from any login session, and while the lock names another computer (a collection\n"
           "shared or synchronised between computers) unless --force is given.\n"
           "Without PROGRAM_FOLDER the collection is the program's: the folder of verdarium-cli when it\n"
           "holds one (MyPlants or main.ini) or is a writable portable copy, else\n"
           "$XDG_DATA_HOME/my-verdarium (~/.local/share/my-verdarium), as My Verdarium itself does. A first\n"
           "word naming a folder that holds a collection is always the program folder.\n"
           "Exit codes: 0 done, 1 refused or failed (one line on standard error), 2 wrong usage.\n";
}

void help(const CommandInfo& c, QTextStream& out)
{
    out << "verdarium-cli " << c.name << ' ' << c.synopsis << "\n\n"
        << c.help << "\n\nExample:\n    " << c.example << '\n';
    if (c.writes)
        out << "\nIt refuses while My Verdarium runs (it takes the program's single-instance lock).\n";
}

int commandUsage(const CommandInfo& c, QTextStream& err, const QString& why = QString())
{
    if (!why.isEmpty())
        err << "verdarium-cli: " << why << '\n';
    err << "usage: verdarium-cli " << c.name << ' ' << c.synopsis << '\n';
    return cli::kUsage;
}

// Reads the words after the command name; false (usage shown) when they do not fit it.
bool parse(const CommandInfo& c, const QStringList& words, cli::Args* a, QTextStream& err)
{
    QStringList positional;
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& w = words[i];
        auto value = [&](QString* v) {
            if (i + 1 >= words.size())
                return false;
            *v = words[++i];
            if (v->isNull())
                *v = QStringLiteral(""); // given, though empty
            return true;
        };
        auto number = [&](std::optional<int>* n) {
            QString v;
            bool ok = false;
            if (value(&v))
                *n = v.toInt(&ok);
            return ok;
        };
        const QString name = QLatin1String(c.name);
        if (w == u"--folder" && name == u"add")
            a->folder = true;
        else if (w == u"--force" && c.writes && c.programFolder)
            a->force = true;
        else if (w == u"--keep" && name == u"resolve") {
            if (!value(&a->keep) || (a->keep != u"page" && a->keep != u"copy"))
                return commandUsage(c, err, QStringLiteral("--keep takes page or copy")), false;
        } else if (w == u"--format" && name == u"page") {
            if (!value(&a->format) || (a->format != u"txt" && a->format != u"html" && a->format != u"rtf"))
                return commandUsage(c, err, QStringLiteral("--format takes txt, html or rtf")), false;
        } else if (w == u"--version" && name == u"page") {
            if (!value(&a->version) || a->version.isEmpty())
                return commandUsage(c, err, QStringLiteral("--version takes a version id")), false;
        } else if (w == u"--task" && (name == u"schedule" || name == u"unschedule" || name == u"done")) {
            if (!value(&a->task))
                return commandUsage(c, err, QStringLiteral("--task takes a name")), false;
        } else if (w == u"--every" && name == u"schedule") {
            if (!value(&a->every))
                return commandUsage(c, err, QStringLiteral("--every takes Nd, Nw, Nm or Ny")), false;
        } else if (w == u"--start" && name == u"schedule") {
            if (!value(&a->start))
                return commandUsage(c, err, QStringLiteral("--start takes a date YYYY-MM-DD")), false;
        } else if (w == u"--season" && name == u"schedule") {
            if (!value(&a->season))
                return commandUsage(c, err, QStringLiteral("--season takes months M-M")), false;
        } else if (w == u"--date" && (name == u"due" || name == u"done")) {
            if (!value(&a->date))
                return commandUsage(c, err, QStringLiteral("--date takes a date YYYY-MM-DD")), false;
        } else if (w == u"--days" && name == u"due") {
            if (!value(&a->days))
                return commandUsage(c, err, QStringLiteral("--days takes a number")), false;
        } else if (w == u"--group" && name == u"publish") {
            if (!value(&a->group) || a->group.isEmpty())
                return commandUsage(c, err, QStringLiteral("--group takes a group's name")), false;
        } else if (w == u"--with-diary" && name == u"publish") {
            a->withDiary = true;
        } else if (w == u"--full-photos" && name == u"publish") {
            a->fullPhotos = true;
        } else if (w == u"--with-notes" && name == u"publish") {
            a->withNotes = true;
        } else if (w == u"--color" && name == u"add-group") {
            if (!number(&a->color) || *a->color < 0 || *a->color > 0xFFFFFF)
                return commandUsage(c, err,
                                    QStringLiteral("--color takes a whole number from 0 to 16777215")),
                       false;
        } else if (w == u"--picture" && name == u"add-group") {
            if (!number(&a->picture) || *a->picture < 1 || *a->picture > 24)
                return commandUsage(c, err, QStringLiteral("--picture takes a whole number from 1 to 24")),
                       false;
        } else if (w.startsWith(QLatin1String("--")) && w.size() > 2) {
            return commandUsage(c, err, QStringLiteral("unknown option ") + w), false;
        } else {
            positional << w;
        }
    }
    const qsizetype n = positional.size();
    const bool withFolder = n >= c.minArgs && n <= c.maxArgs;
    // The program folder may be left out. A first word naming a folder that holds a collection is
    // the program folder; any other is one only when the words do not fit without it.
    const bool withoutFolder = c.programFolder && n >= c.minArgs - 1 && n <= c.maxArgs - 1;
    const bool firstHoldsCollection =
        c.programFolder && n > 0 && programfolder::holdsCollection(QDir(positional.first()).absolutePath());
    if (firstHoldsCollection ? !withFolder : !withFolder && !withoutFolder)
        return commandUsage(c, err), false;
    if (c.programFolder) {
        if (firstHoldsCollection || !withoutFolder)
            a->programFolder = QDir(positional.takeFirst()).absolutePath();
        else
            a->programFolder =
                QDir(programfolder::choose(QCoreApplication::applicationDirPath())).absolutePath();
    }
    a->positional = positional;
    return true;
}

// A writing command never reaches through a group or folder that is a symbolic link: the first such
// link on its way, or empty. A node that is itself a link may be renamed, removed or moved as a link.
QByteArray linkOnTheWay(const CommandInfo& c, const cli::Args& a)
{
    const QString name = QLatin1String(c.name);
    static const QStringList nodeCommands = {QStringLiteral("add"),       QStringLiteral("rename"),
                                             QStringLiteral("remove"),    QStringLiteral("move"),
                                             QStringLiteral("mark"),      QStringLiteral("import-page"),
                                             QStringLiteral("add-photo"), QStringLiteral("restore-page"),
                                             QStringLiteral("schedule"),  QStringLiteral("unschedule"),
                                             QStringLiteral("done")};
    QStringList ways;
    if ((name == u"schedule" || name == u"unschedule") && a.positional.size() == 1) {
        ways << collection::groupFolder(a.programFolder, a.positional[0]) + QStringLiteral("/.");
    } else if (nodeCommands.contains(name)) {
        const QString node =
            paths::join(collection::groupFolder(a.programFolder, a.positional[0]), a.positional[1]);
        const bool inside = name != u"add" && name != u"rename" && name != u"remove" && name != u"move";
        ways << (inside ? node + QStringLiteral("/.") : node);
        if (name == u"move")
            ways << collection::myPlants(a.programFolder) + u'/' + a.positional[2] + QStringLiteral("/.");
    } else if (name == u"restore") {
        ways << collection::myPlants(a.programFolder) + u'/' + a.positional[0];
    }
    for (const QString& way : ways)
        if (const QByteArray link = linkguard::linkOnTheWay(paths::native(way)); !link.isEmpty())
            return link;
    return {};
}

} // namespace

int runCli(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.isEmpty() || args.first() == u"--help" || args.first() == u"-h" || args.first() == u"help") {
        usage(args.isEmpty() ? err : out);
        return args.isEmpty() ? cli::kUsage : cli::kDone;
    }
    const CommandInfo* c = findCommand(args.first());
    if (!c) {
        err << "verdarium-cli: no command \"" << args.first() << "\"\n";
        usage(err);
        return cli::kUsage;
    }
    const QStringList words = args.mid(1);
    if (words.contains(QStringLiteral("--help")) || words.contains(QStringLiteral("-h"))) {
        help(*c, out);
        return cli::kDone;
    }
    cli::Args a;
    if (!parse(*c, words, &a, err))
        return cli::kUsage;
    if (!c->writes)
        return c->run(a, out, err);
    // The window and a writing command never change a collection at the same time, from any session,
    // and a lock that names another computer is respected unless --force says otherwise.
    std::optional<CollectionLock> lock;
    if (c->programFolder) {
        lock.emplace(a.programFolder, QStringLiteral("verdarium-cli"), a.force);
        if (lock->state() == CollectionLock::State::HeldHere)
            return cli::fail(err,
                             lock->holder().program == u"verdarium-cli"
                                 ? QStringLiteral("another verdarium-cli command (process %1) is changing "
                                                  "the collection; try again when it has finished")
                                       .arg(lock->holder().pid)
                                 : QStringLiteral("My Verdarium is running; close it first."));
        if (lock->state() == CollectionLock::State::HeldElsewhere)
            return cli::fail(err, QStringLiteral("the collection's lock says: ") + lock->describeHolder() +
                                      QStringLiteral("; nothing was changed (--force writes all the same)"));
    }
    // A start like the window's: what a killed save or move left behind goes first.
    if (c->programFolder)
        leftovers::clean(a.programFolder);
    if (const QByteArray link = linkOnTheWay(*c, a); !link.isEmpty())
        return cli::fail(err, linkguard::refusal(link) + QStringLiteral("; nothing was changed"));
    return c->run(a, out, err);
}
