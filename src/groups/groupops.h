#pragma once

#include "i18n/messages.h"
#include "platform/iostatus.h"
#include "platform/messagesink.h"

#include <QImage>
#include <QString>

// What the group menu does on disk: make, change, remove (by renaming) and reorder groups.
// Warnings go to the sink, failures to the error log; nothing is ever deleted.
namespace groupops {

// Built-in group picture n (1..24); a null image for any other number.
QImage builtInPicture(int n);
inline constexpr int kBuiltInPictures = 24;
inline constexpr int kOwnPicture = 100;
// The bar orders groups by ImageOrder values from 1 to 100 only.
inline constexpr int kMaxOrder = 100;

// The default groups a collection without any gets.
struct DefaultGroup {
    const char* name;
    int color;
    int picture;
};
inline constexpr DefaultGroup kDefaultGroups[] = {
    {"Decoratively deciduous", 0x9FFBB1, 3},
    {"Decoratively blossoming", 0xA0CDFA, 17},
    {"Succulents", 0xFCC99E, 2},
};

// Makes the group folder if missing and writes Color and ImageIndex. False after a warning.
bool createGroupOnDisk(const QString& programFolder, const QString& name, int color, int picture,
                       const MessageTable& messages, MessageSink& sink);

// Renames group from to name (when different; an existing folder of that name is refused) and, when
// color > -1, writes Color and ImageIndex. False after a warning; the group is then as it was.
bool changeGroupOnDisk(const QString& programFolder, const QString& from, const QString& name, int color,
                       int picture, const MessageTable& messages, MessageSink& sink);

// Renames the group to a free "!deleted_" name; the new folder name, or empty after a warning.
QString removeGroup(const QString& programFolder, const QString& name, const MessageTable& messages,
                    MessageSink& sink);

// Writes ImageOrder = order into the group's record; failures are logged with the move's arguments.
void writeOrder(const QString& programFolder, const QString& group, int order, int from, int to);

// Saves an own picture as the group's groupimage.bmp (70 x 65, 24 bits).
IoStatus saveOwnPicture(const QString& programFolder, const QString& group, const QImage& picture);

} // namespace groupops
