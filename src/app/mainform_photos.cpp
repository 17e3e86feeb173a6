// The main window's photo page commands that need the window: the web export.
#include "app/mainform.h"
#include "platform/picturefile.h"

#include "app/tform3.h"
#include "photos/album.h"
#include "photos/photopanel.h"
#include "photos/webexport.h"
#include "platform/atomicfile.h"
#include "platform/messagesink.h"
#include "platform/paths.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>

void TMainForm::Button12Click()
{
    if (!Panel6->photoShown())
        return;
    const QString photo = Panel6->shownPhotoPath();
    const QString ext = QFileInfo(photo).suffix().toLower();
    if (ext != u"jpg" && ext != u"bmp") {
        m_sink->warning(m_messages.text(QStringLiteral("e4")));
        return;
    }
    auto fail = [this](const QString& why) {
        m_sink->warning(m_messages.text(QStringLiteral("w1")) + u' ' + why);
    };
    QString error;
    // Decoded just large enough for the web copy (a JPEG at a reduced scale), not as the panel shows it.
    QSize full;
    const QImage picture = webexport::readPhoto(photo, &error, &full);
    if (picture.isNull()) {
        fail(error);
        return;
    }
    const QString scratchFolder = paths::join(m_programFolder, u"TempFiles");
    const QString webFolder = paths::join(m_programFolder, u"For_web");
    webexport::Result r;
    {
        // A window of its own, so it stays enabled while this one is disabled.
        TForm3 progress(nullptr);
        progress.move(geometry().center() - QPoint(progress.width() / 2, progress.height() / 2));
        progress.setWindowTitle(m_messages.text(QStringLiteral("u59")));
        progress.Label6->setText(m_messages.text(QStringLiteral("u60")));
        progress.Label7->setText(QStringLiteral("---------"));
        progress.Gauge2->setMaxValue(webexport::targetSize(full).height());
        progress.show();
        QApplication::processEvents();
        setEnabled(false);
        auto pump = [] { QApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
        webexport::Progress steps;
        steps.rowDone = [&](int row) {
            progress.Gauge2->setProgress(row);
            pump();
        };
        steps.compressing = [&] {
            progress.setWindowTitle(m_messages.text(QStringLiteral("u61")));
            progress.Label6->setText(m_messages.text(QStringLiteral("u62")));
            progress.Gauge2->setProgress(0);
            progress.Gauge2->setMaxValue(100);
        };
        steps.stepStarted = [&](int step) {
            progress.Label7->setText(QString::number(step));
            pump();
        };
        steps.encoding = [&](int percent) {
            progress.Gauge2->setProgress(percent);
            pump();
        };
        if (!paths::makePath(scratchFolder) || !paths::makePath(webFolder)) {
            setEnabled(true);
            fail(QStringLiteral("Cannot create ") + scratchFolder);
            return;
        }
        r = webexport::make(picture, paths::join(scratchFolder, u"1.jpg"), steps, full);
        if (!r.picture.isNull())
            Panel6->showPicture(r.picture);
        setEnabled(true);
    }
    Panel6->noteWebCopy(QString());
    if (!r.status.ok()) {
        fail(r.status.text);
        return;
    }
    const QString path = askWebCopyPath(webFolder, webexport::proposedName(m_settings.userNick));
    if (path.isEmpty())
        return;
    const IoStatus s = atomicfile::write(path, r.jpeg);
    if (!s.ok()) {
        fail(s.text);
        return;
    }
    Panel6->noteWebCopy(path);
    m_settings.userNick = webexport::prefixFrom(QFileInfo(path).fileName(), m_settings.userNick);
}
