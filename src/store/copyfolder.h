#pragma once

#include "platform/iostatus.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class MessageSink;

// What a running copy tells the window: it lets the window process pending messages, and during the
// conversion it drives the progress dialog's counter line and gauge.
struct CopyProgress {
    std::function<void()> pump;
    std::function<void(int)> counter;
    std::function<void(int)> gaugeMax;
    std::function<void(int)> gaugeProgress;
};

// The shared copy machinery: folder trees are copied file by file through one 61,440-byte buffer,
// with a warning and an error-log line for every file that fails and a stop when the disk is full.
// The source of a file that did not copy is never deleted.
class FileCopier {
public:
    static constexpr qint64 kBlockSize = 61440;

    FileCopier(const QString& programFolder, MessageSink& sink);

    // Roots of the current folder copy, each ending with "/"; set by the caller before CopyFolder.
    QString gl_FromPath;
    QString gl_ToPath;
    // Stops copies at the next check; set here when the disk is full, cleared when a new copy starts
    // (the user may have made room since).
    bool copyAbort = false;
    // While set, copies rename the older layout's pages and drive the progress dialog.
    bool conversion = false;
    int filesCopied = 0;
    int copyErrors = 0;
    QString lastErrorText;
    CopyProgress progress;
    // Sources whose copy failed in this process, in order (for the caller's error-log note).
    QStringList failedSources;

    // Copies every file matching mask in folder and, recursively, its subfolders to the same place
    // under gl_ToPath; with deleteSource each copied file is deleted and each emptied subfolder removed.
    // The top folder itself is left for the caller. A symbolic link is copied as a link (and with
    // deleteSource removed as a link); what it points to is never copied or deleted.
    void CopyFolder(const QString& folder, const QString& mask, bool deleteSource);
    // Sets the roots and copies from into to. Refuses (false, lastErrorText) a copy into its own
    // source or one started while another copy runs.
    bool copyTree(const QString& from, const QString& to, bool deleteSource);

    // Copies one file; the number of bytes copied, or -1. The copy goes to a temporary file beside the
    // destination, reaches the disk, and is renamed over it only when complete, so a failed copy
    // never leaves a truncated destination in place of a good one.
    qint64 FCopyFile(const QString& source, const QString& destination);

    static int progressDivisor(qint64 count);
    // Where the copy's warnings go; the conversion tells a full disk met by its own writes there too.
    MessageSink& sink() const { return m_sink; }

private:
    // Folders and files are reached by their bytes on disk (src, dst: ending with '/'), so a copy gives
    // every entry the very bytes of its source's name.
    void copyFolderRecursive(const QString& folder, const QByteArray& src, const QByteArray& dst,
                             const QString& mask, bool deleteSource);
    qint64 copyFile(const QString& source, const QString& destination, const QByteArray& src, QByteArray dst);
    // Copies count bytes (0: the whole source) from src to the open destination m_dst.
    qint64 CopyStream(int src, qint64 count, int* err);
    void reportFailure(int err, const QString& source, const QString& destination);
    bool copyLink(const QString& source, const QString& destination, const QByteArray& src,
                  const QByteArray& dst);
    void pump();

    QString m_programFolder;
    MessageSink& m_sink;
    int m_dst = -1;
    qint64 m_written = 0; // bytes the last CopyStream wrote
    bool m_busy = false;
    // The destination folder made last, so a folder's files do not each ask for it again.
    QByteArray m_madeFolder;
    std::unique_ptr<char[]> m_buffer;
};
