#pragma once

#include "platform/iostatus.h"

#include <QString>
#include <QStringList>

// A node's photos: the .jpg, .bmp and .gif files directly in its folder, each with a comment file
// beside it (the photo's whole name + ".txt": Windows-1251, CR LF between lines, none at the end).
namespace album {

// The photos of folder, sorted as a list box of the desktop sorts them (case-insensitive, by the
// locale's collation).
QStringList listPhotos(const QString& folder);
bool isPhotoName(const QString& name);
QString commentPath(const QString& photoPath);

// A missing comment file is an empty comment. Line breaks come back as "\n".
IoStatus readComment(const QString& photoPath, QString* text);
// Writes the comment through a temporary file; a failure leaves the old comment whole.
IoStatus writeComment(const QString& photoPath, const QString& text);
// Copies the photo file into folder under its own name, never over an existing file, and writes its
// comment file. A photo that cannot be copied whole is not left behind; a file that is not a .jpg, .bmp
// or .gif is refused.
IoStatus addPhoto(const QString& folder, const QString& file, const QString& comment = QString());

// Deletes a photo with its comment file: into the desktop's trash (both, so the file manager can put
// them back), or for good when toTrash is false. The comment goes only with its photo.
IoStatus deletePhoto(const QString& photoPath, bool toTrash);

// Creates the empty comment file of a photo shown for the first time.
IoStatus ensureComment(const QString& photoPath);
// Writes a comment's text to a file of any name (Windows-1251, CR LF), as writeComment does.
IoStatus writeCommentFile(const QString& file, const QString& text);

} // namespace album
