#pragma once

#include <QString>
#include <QStringView>

// Names the user types for groups, plants and folders become folder names. A name that would leave
// its folder, that holds control characters, or that the code page or the file system cannot hold
// is refused before anything touches the disk.
namespace names {

enum class Problem {
    None,
    Empty,         // empty, or only blanks
    DotName,       // "." or ".."
    Separator,     // holds "/" or "\"
    Control,       // holds a control character
    NotInCodePage, // a character Windows-1251 cannot hold
    ReservedChar,  // one of < > : " | ? * that the collection's other home, Windows, cannot hold
    TooLong,       // more than 255 bytes on disk
    Reserved,      // begins with "!": the collection keeps such names for templates, notes and removed items
};

Problem check(QStringView name);
// The message-table key of the text a refused name shows ("%1" in it stands for the name);
// empty for Problem::None.
QString messageKey(Problem p);

} // namespace names
