#pragma once

#include "platform/iostatus.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// Earlier states of a node's pages. Before a save replaces a page with different bytes, the file as it
// was is kept in the node's hidden folder "!history" (never listed as a node, and it travels with the
// node's folder), named by the page and the time its content was written. At most 20 versions a page
// and 20 MB a node, oldest first out, and one version for each minute: of several contents written in
// the same minute the last one is kept.
namespace versions {

inline constexpr QStringView kFolder = u"!history";
inline constexpr int kMaxVersions = 20;
inline constexpr qint64 kMaxNodeBytes = qint64(20) * 1024 * 1024;

struct Version {
    // yyyyMMdd-HHmmss-zzz of the time its content was written (UTC), then the short id of the computer
    // that kept it (so two computers sharing the collection never make the same name), then "-kept"
    // for the page as it was before a restore, which no later save replaces
    QString id;
    QDateTime time; // that time
    qint64 bytes = 0;
    QString path;
    bool keptByRestore = false;
};

// Whether path is a page of the collection (description, care or diary inside MyPlants).
bool keepsVersions(const QString& pagePath);

// The versions of a page, newest first.
QList<Version> list(const QString& pagePath);

struct KeepResult {
    bool kept = false;
    QString problem; // the page changes, but its old content could not be kept: why
};

// Keeps the page as it is now before it is replaced by newBytes. Nothing is kept when the page does
// not exist, is empty or already holds newBytes. With oneAMinute, a version of the same minute as the
// page's content gives way to it.
KeepResult keepBefore(const QString& pagePath, const QByteArray& newBytes, bool oneAMinute = true);

// Keeps bytes (another text of the page, such as a sync engine's conflict copy written at written) as
// a version that no later save replaces.
KeepResult keepText(const QString& pagePath, const QByteArray& bytes, const QDateTime& written);

// The bytes of version id of a page.
IoStatus read(const QString& pagePath, const QString& id, QByteArray* bytes);

// Puts version id back as the page. The page as it is first becomes a version itself, so a restore
// can be undone; when it cannot be kept, or the version is not a readable document, nothing changes.
IoStatus restore(const QString& pagePath, const QString& id);

} // namespace versions
