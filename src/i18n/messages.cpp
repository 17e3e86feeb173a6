#include "i18n/messages.h"

#include "i18n/langfile.h"

namespace {

struct Default {
    const char* key;
    const char* text;
};

// e1..q2, l1, s58 are the program's message keys; p1..p3 are about pages; n1..n8 explain a refused name ("%1"
// is the name).
constexpr Default kDefaults[] = {
    {"e1", "Directory with name"},
    {"e2", "exists already"},
    {"e3", "Cannot rename directory to"},
    {"e4", "Supported type of images is BMP and JPG only."},
    {"e5", "Cant remove. Reason:"},
    {"e7", "It is impossible to rename. Probably the plant with such name already exists."},
    {"e8", "Cannot create directory"},
    {"q1", "Are you sure to remove"},
    {"q2", "Remove photo?"},
    {"l1", "No photos"},
    {"s58", "Name"},
    {"p1", "The page could not be saved. Close anyway and lose the changes on it?"},
    {"p2", "The page %1 is damaged; what could be read is shown. Before it is saved, the file as it was is "
           "kept beside it as %1.damaged."},
    {"d1", "Some parts of the page %1 can be shown here only as their text: %2. So that nothing is lost, "
           "the file as it was has been kept beside it as %1.original."},
    {"d2", "objects from other programs"},
    {"d3", "text boxes and shapes"},
    {"d4", "tables nested too deeply"},
    {"d5", "Opening the page: %1%"},
    {"p3", "The template %1 cannot be opened: this desktop has no program for rich text (.rtf). Edit it "
           "here, in the page editor?"},
    {"w1", "The web copy could not be made:"},
    {"r1", "Nothing can be saved in %1, so its pages are shown read-only."},
    {"r2", "Read-only"},
    {"h1", "Right-click here to add a plant or a folder"},
    {"h2", "Right-click here to add a note"},
    {"h3",
     "This group has no plants yet. To add a plant or a folder, right-click the empty list at the left."},
    {"h4", "There are no notes yet. To add one, right-click the empty list at the left."},
    {"n1", "The name is empty."},
    {"n2", "The name %1 is not allowed."},
    {"n3", "The name %1 must not contain \"/\" or \"\\\"."},
    {"n4", "The name %1 contains a control character."},
    {"n5", "The name %1 contains characters that cannot be stored (Latin and Cyrillic letters, digits and "
           "common punctuation can)."},
    {"n6", "The name %1 must not contain any of < > : \" | ? *."},
    {"n7", "The name %1 is too long."},
    {"n8", "The name %1 begins with \"!\"; the collection keeps such names for itself."},
    // k1.. are about page history, removed items and the trash.
    {"k1", "Page history"},
    {"k2", "Removed items"},
    {"k3", "Date"},
    {"k4", "Time"},
    {"k5", "Size"},
    {"k6", "This page has no earlier versions yet. A version is kept each time the page is saved with "
           "changes."},
    {"k7", "This version cannot be read: %1"},
    {"k8", "Name"},
    {"k9", "Kind"},
    {"k10", "Where"},
    {"k11", "Removed"},
    {"k12", "Plant"},
    {"k13", "Folder"},
    {"k14", "Group"},
    {"k15", "Nothing has been removed."},
    {"k16", "%1 could not be restored:"},
    {"k17", "This photo cannot go to the trash here. It will be deleted permanently. Delete it?"},
    {"k18", "The photo %1 could not be deleted:"},
    {"k19", "The page was saved, but no earlier version of it could be kept:"},
    {"k20", "The page could not be restored:"},
    {"k21", "bytes"},
    {"k22", "Notes"},
    {"k23", "%1 is a plain-text file: bold, colours, indents and pictures cannot be kept in it. Save it as "
            "RTF instead, so they stay? (No saves the text alone.)"},
    {"k24", "My Verdarium cannot start now: verdarium-cli (process %1) is changing the collection. Start it "
            "again when the command has finished."},
    {"k25", "My Verdarium is open on %1 since %2 (the collection's lock says so). Two computers writing one "
            "collection at once can lose changes. Open it here anyway? (No opens it read-only.)"},
    {"k26", "The collection is open read-only: it is open on %1 since %2."},
    {"k27", "%1 was changed by another program since it was opened here. Keep the text typed here? (No "
            "shows the other text instead.) The text that is not kept stays in the page's history."},
    {"k28", "The page was changed outside the program; it is shown as it is now, and the text typed here is in "
            "its history."},
    {"k29", "The page was changed outside the program and is shown as it is now."},
    {"k30", "The group was changed outside the program and is shown as it is now."},
    {"k31", "The comment of %1 was changed by another program since it was shown here. Keep the text typed "
            "here? (No shows the other text.) The text that is not kept goes to the trash."},
    // c1..c7: conflict copies of sync engines.
    {"c1", "Conflicts"},
    {"c2", "Node"},
    {"c3", "What"},
    {"c4", "Conflict copy"},
    {"c5", "No conflict copies: every synchronised file agrees."},
    {"c6", "The conflict of %1 could not be resolved:"},
    {"c7", "A sync engine left a conflict copy here: File > Conflicts..."},
    {"c8", "record"},
    // f1..f23: finding in the collection and in a page.
    {"f1", "Find in the collection"},
    {"f2", "Any mark"},
    {"f3", "No mark"},
    {"f4", "Group"},
    {"f5", "Plant"},
    {"f6", "Found in"},
    {"f7", "Text"},
    {"f8", "Indexing the collection: %1"},
    {"f9", "Found: %1"},
    {"f10", "Nothing found"},
    {"f11", "name"},
    {"f12", "Description"},
    {"f13", "Care"},
    {"f14", "Diary"},
    {"f15", "photo comment"},
    {"f16", "The search index cannot be kept (%1); search reads the files, which is slower."},
    {"f17", "Not found"},
    {"f18", "Replaced: %1"},
    {"f20", "Ideal condition"},
    {"f21", "Urgently to replace!"},
    {"f22", "To replace"},
    {"f23", "To treat"},
    {"f24", "conflict copy"},
    // u1..: the window's own texts: the toolbar, the status bar, dialogs' titles, file dialogs' filters.
    {"u1", "&Language"},
    {"u2", "Exit this application"},
    {"u3", "Create a new file"},
    {"u4", "Open an existing file"},
    {"u5", "Save current file"},
    {"u6", "&Print"},
    {"u7", "Print|Print current file"},
    {"u8", "Font Name|Select font name"},
    {"u9", "Cu&t"},
    {"u10", "Cut|Delete selected item"},
    {"u11", "&Copy"},
    {"u12", "Copy|Copy selected item to clipboard"},
    {"u13", "&Paste"},
    {"u14", "Paste|Paste contents of clipboard"},
    {"u15", "&Undo"},
    {"u16", "Undo|Undo the last action"},
    {"u17", "Font Size|Select font size"},
    {"u18", "B"},
    {"u19", "Bold"},
    {"u20", "I"},
    {"u21", "Italic"},
    {"u22", "U"},
    {"u23", "Underline"},
    {"u24", "Align Left"},
    {"u25", "Center"},
    {"u26", "Align Right"},
    {"u27", "Justify"},
    {"u28", "Font Color|Select font color"},
    {"u30", "Black"},
    {"u31", "Maroon"},
    {"u32", "Green"},
    {"u33", "Olive"},
    {"u34", "Navy"},
    {"u35", "Purple"},
    {"u36", "Teal"},
    {"u37", "Gray"},
    {"u38", "Silver"},
    {"u39", "Red"},
    {"u40", "Lime"},
    {"u41", "Yellow"},
    {"u42", "Blue"},
    {"u43", "Fuchsia"},
    {"u44", "Aqua"},
    {"u45", "White"},
    {"u46", "Custom..."},
    {"u47", "%1 - Special build for %2"},
    {"u48", "About"},
    {"u49", "%1<br>A catalogue of a home plant collection.<br>Version %2"},
    {"u50", "Pictures"},
    {"u51", "All files"},
    {"u52", "Add plant"},
    {"u53", "Add folder"},
    {"u54", "To add/change group"},
    {"u55", "Modified"},
    {"u56", "Line: %1   Col: %2"},
    {"u57", "Photo: %1/%2"},
    {"u58", "Process"},
    {"u59", "Resizing..."},
    {"u60", "Percent done"},
    {"u61", "Compressing..."},
    {"u62", "Step"},
    {"u63", "The file %1 goes to the trash."},
    {"u64", "With it go its plants (%1); File > Removed items... brings them back."},
    {"u65", "Loading..."},
    {"u66", "d MMMM yyyy"},
    {"u67", "JPG files"},
    {"u68", "The picture %1 is an empty file."},
    {"u69", "The picture %1 cannot be shown: %2."},
    {"u70", "The picture %1 cannot be read: %2"},
    {"u71", "the file is gone."},
    {"u72", "it is not a picture this program can read"},
    {"u73", "its picture is %1 x %2 pixels, more than can be held"},
    {"u74", "the file is damaged"},
    // v1..: the report of the conversion of the older layout.
    {"v1", "These groups had no readable list of plants and were converted without plants: %1."},
    {"v2", "\"%1\" cannot be a folder name and was converted as \"%2\"."},
    {"v3", "These lines name no folder in \"plants\" and were not converted: %1."},
    {"v4", "These plants are listed, but \"plants\" holds no folder of theirs, so nothing of them was converted: %1."},
    {"v5", "These folders of \"plants\" are in no group's list and were not converted (they stay where they are): %1."},
    {"v6", "These lists belong to no group of the settings and were not converted: %1."},
    // t1..: the care schedule.
    {"t1", "Care today"},
    {"t2", "Date"},
    {"t3", "Group"},
    {"t4", "Plant"},
    {"t5", "Task"},
    {"t6", "When"},
    {"t7", "Overdue"},
    {"t8", "Today"},
    {"t9", "Next 7 days"},
    {"t10", "%1 days late"},
    {"t11", "today"},
    {"t12", "in %1 days"},
    {"t13", "Nothing is due today or in the next 7 days."},
    {"t14", "d MMM yyyy"},
    {"t15", "Care tasks due today: %1, of them overdue: %2."},
    {"t16", "The care task could not be changed: %1"},
    {"t17", "iCalendar files"},
    {"t18", "Care schedule: %1"},
    {"t19", "day(s)"},
    {"t20", "week(s)"},
    {"t21", "month(s)"},
    {"t22", "year(s)"},
    {"t23", "Set on"},
    {"t24", "this plant"},
    {"t25", "the folder"},
    {"t26", "the group"},
    {"t27", "The day it was done:"},
    {"t28", "Care is overdue"},
    {"t29", "The care calendar was saved as %1."},
    {"t30", "Every"},
    {"t31", "Months"},
    {"t32", "all year"},
    {"t33", "Last done"},
    {"t34", "Next"},
    {"t35", "Export care calendar"},
    // b1..: publishing the collection.
    {"b1", "Publish as website"},
    {"b2", "The site is published in %1."},
    {"b3", "The site could not be published: %1"},
    {"b4", "Worth a look:"},
    {"b5", "All groups"},
    {"b6", "Export plant list"},
    {"b7", "CSV files"},
    {"b8", "The plant list could not be written: %1"},
    {"b9", "Back"},
    {"b10", "This photo could not be read."},
    {"b11", "Full size"},
    {"b12", "Photos"},
    {"b13", "Description"},
    {"b14", "Care"},
    {"b15", "Diary"},
    {"b16", "Notes"},
    {"b17", "Group"},
    {"b18", "Folder"},
    {"b19", "Plant"},
    {"b20", "Condition"},
    {"b23", "Care tasks"},
    {"b24", "Ideal condition"},
    {"b25", "Urgently to replace!"},
    {"b26", "To replace"},
    {"b27", "To treat"},
    {"b28", "My plant collection"},
    {"b29", "The plant list was saved as %1."},
};

} // namespace

MessageTable::MessageTable()
{
    for (const Default& d : kDefaults)
        m_texts.insert(QString::fromLatin1(d.key), QString::fromUtf8(d.text));
}

QString MessageTable::englishDefault(const QString& key)
{
    for (const Default& d : kDefaults)
        if (key.compare(QLatin1StringView(d.key), Qt::CaseInsensitive) == 0)
            return QString::fromUtf8(d.text);
    return QString();
}

QStringList MessageTable::keys()
{
    QStringList all;
    for (const Default& d : kDefaults)
        all << QString::fromLatin1(d.key);
    return all;
}

QString MessageTable::text(const QString& key) const
{
    return m_texts.value(key.toLower(), englishDefault(key));
}

QString MessageTable::textWithName(const QString& key, const QString& name) const
{
    QString t = text(key);
    return t.replace(QLatin1String("%1"), name);
}

void MessageTable::apply(const LanguageFile& lang, const QString& section)
{
    for (const Default& d : kDefaults) {
        const QString key = QString::fromLatin1(d.key);
        m_texts.insert(key, lang.text(section, key, QString::fromUtf8(d.text)));
    }
}
