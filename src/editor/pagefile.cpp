#include "editor/pagefile.h"

#include "history/versions.h"
#include "platform/atomicfile.h"
#include "platform/codepage.h"
#include "platform/paths.h"
#include "rtf/rtfreader.h"
#include "rtf/rtfwriter.h"

#include <QHashFunctions>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextList>

#include <cerrno>

namespace pagefile {

namespace {

// NUL bytes never stand in an RTF file or in text; they mark pictures, archives and programs.
bool looksBinary(const QByteArray& bytes)
{
    QByteArrayView v(bytes);
    while (!v.isEmpty() && (v.front() == ' ' || v.front() == '\t' || v.front() == '\r' || v.front() == '\n'))
        v = v.sliced(1);
    return !v.startsWith("{\\rtf") && v.first(std::min<qsizetype>(v.size(), 65536)).contains('\0');
}

bool isRtf(const QByteArray& bytes, const QString& path)
{
    const QByteArrayView trimmed = QByteArrayView(bytes).trimmed(); // no copy of a long page
    if (trimmed.isEmpty())
        return path.endsWith(QLatin1String(".rtf"), Qt::CaseInsensitive);
    return trimmed.startsWith("{\\rtf");
}

QByteArray textBytes(const QTextDocument& document, Form form)
{
    QString text = plainText(document);
    if (form.crlf)
        text.replace(u'\n', QStringLiteral("\r\n"));
    if (form.kind == Kind::Cp1251Text && cp1251::canEncode(text))
        return cp1251::encode(text);
    return (form.bom ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + text.toUtf8();
}

} // namespace

Stamp stampOf(const QString& path, const QByteArray& bytes)
{
    return {paths::identity(path), qHashBits(bytes.constData(), static_cast<size_t>(bytes.size()))};
}

bool changedSince(const QString& path, const Stamp& stamp)
{
    const paths::Identity now = paths::identity(path);
    if (now == stamp.file)
        return false;
    if (!now.exists)
        return stamp.file.exists;
    // A sync engine or a backup may write the same bytes again: only another text counts.
    QByteArray bytes;
    return !atomicfile::readAll(path, &bytes, nullptr, kMaxPageBytes).ok() ||
           qHashBits(bytes.constData(), static_cast<size_t>(bytes.size())) != stamp.hash;
}

void keepFileAsVersion(const QString& path)
{
    QByteArray bytes;
    if (atomicfile::readAll(path, &bytes, nullptr, kMaxPageBytes).ok())
        versions::keepText(path, bytes, paths::modificationTime(path));
}

QByteArray bytesOf(const QTextDocument& document, Form form)
{
    return form.kind != Kind::Rtf ? textBytes(document, form) : RtfWriter::write(document);
}

LoadResult load(const QString& path, QTextDocument* document, const RtfReader::Options& options)
{
    LoadResult r;
    QByteArray bytes;
    bool missing = false;
    // Its identity before the bytes: a change while it is read shows as a change afterwards.
    const paths::Identity before = paths::identity(path);
    r.status = atomicfile::readAll(path, &bytes, &missing, kMaxPageBytes);
    r.stamp = {before, qHashBits(bytes.constData(), static_cast<size_t>(bytes.size()))};
    if (missing)
        r.status =
            IoStatus::failure(ENOENT, QStringLiteral("Cannot open file \"") + path +
                                          QStringLiteral("\". The system cannot find the file specified."));
    if (!r.status.ok()) {
        if (!missing)
            r.status.text =
                QStringLiteral("Cannot open file \"") + path + QStringLiteral("\". ") + r.status.text;
        return r;
    }
    if (looksBinary(bytes)) {
        r.status =
            IoStatus::failure(EINVAL, QStringLiteral("The file \"") + path +
                                          QStringLiteral("\" is not a text document and was not opened."));
        return r;
    }
    if (!isRtf(bytes, path)) {
        r.bom = bytes.startsWith("\xEF\xBB\xBF");
        r.kind = cp1251::isUtf8(bytes) ? Kind::Utf8Text : Kind::Cp1251Text;
        r.crlf = bytes.contains("\r\n");
        QString text = cp1251::utf8OrDecode(bytes);
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        document->setPlainText(text);
        document->setModified(false);
        return r;
    }
    const RtfReader::Result read = RtfReader::read(bytes, document, options);
    if (!read.ok)
        r.problem = read.problem;
    r.lossy = read.lossy;
    r.partial = read.partial;
    document->setModified(false);
    return r;
}

IoStatus save(const QString& path, const QTextDocument& document, bool keepOriginal, Form form, QString* note,
              Stamp* stamp)
{
    const QByteArray bytes = bytesOf(document, form);
    // A page that cannot be written right is never written wrong: the old one stays.
    if (form.kind == Kind::Rtf) {
        const QString problem = RtfWriter::readBackProblem(bytes);
        if (!problem.isEmpty())
            return IoStatus::failure(EPROTO, QStringLiteral("the page as written would not read back (") +
                                                 problem + QStringLiteral(")"));
    }
    if (keepOriginal && paths::exists(path) && !paths::exists(path + QStringLiteral(".damaged"))) {
        QByteArray old;
        IoStatus s = atomicfile::readAll(path, &old, nullptr, kMaxPageBytes);
        if (s.ok())
            s = atomicfile::write(path + QStringLiteral(".damaged"), old);
        if (!s.ok())
            return s;
    }
    // The page as it was is kept first; when that fails the save still goes ahead, and says so.
    const versions::KeepResult kept =
        atomicfile::canReplace(path) ? versions::keepBefore(path, bytes) : versions::KeepResult{};
    if (note)
        *note = kept.problem;
    const IoStatus s = atomicfile::write(path, bytes);
    if (s.ok() && stamp)
        *stamp = stampOf(path, bytes);
    return s;
}

bool hasFormatting(const QTextDocument& document)
{
    if (document.rootFrame()->childFrames().size() > 0)
        return true; // tables
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next()) {
        const QTextBlockFormat bf = b.blockFormat();
        if (b.textList() || bf.leftMargin() != 0 || bf.rightMargin() != 0 || bf.textIndent() != 0 ||
            (bf.alignment() & Qt::AlignHorizontal_Mask & ~Qt::AlignLeading & ~Qt::AlignLeft) != 0)
            return true;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat cf = it.fragment().charFormat();
            if (cf.isImageFormat() || cf.isAnchor() || cf.objectType() != 0 ||
                cf.fontWeight() > QFont::Normal || cf.fontItalic() || cf.fontUnderline() ||
                cf.fontStrikeOut() || cf.hasProperty(QTextFormat::ForegroundBrush) ||
                cf.hasProperty(QTextFormat::BackgroundBrush) ||
                cf.verticalAlignment() != QTextCharFormat::AlignNormal)
                return true;
        }
    }
    return false;
}

bool isCollectionPage(const QString& path)
{
    return versions::keepsVersions(path);
}

bool keepOriginal(const QString& path, IoStatus* status)
{
    const QString kept = path + QStringLiteral(".original");
    if (paths::exists(kept))
        return false;
    QByteArray old;
    *status = atomicfile::readAll(path, &old, nullptr, kMaxPageBytes);
    if (status->ok())
        *status = atomicfile::write(kept, old);
    return status->ok();
}

QString plainText(const QTextDocument& document)
{
    QString text = document.toPlainText();
    text.replace(QChar::LineSeparator, u'\n');
    text.replace(QChar::Nbsp, u' ');
    return text;
}

} // namespace pagefile
