#include "photos/photopanel.h"
#include "i18n/translate.h"
#include "platform/picturefile.h"

#include "photos/album.h"
#include "platform/atomicfile.h"
#include "platform/paths.h"
#include "platform/trash.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTextEdit>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cerrno>

namespace {

QPushButton* button(const QString& name, const QString& text, int key, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    setTextKey(b, key);
    b->setFocusPolicy(Qt::TabFocus);
    // As narrow as the caption allows: the row must fit the page area of the narrowest window,
    // or opening the photo page would squeeze the group bar and the tree.
    b->setMinimumWidth(b->fontMetrics().horizontalAdvance(text) + 14);
    return b;
}

} // namespace

PhotoPanel::PhotoPanel(const MessageTable& messages, MessageSink& sink, QWidget* parent)
    : QWidget(parent), m_messages(messages), m_sink(sink)
{
    setObjectName(QStringLiteral("Panel6"));
    choosePicture = [this] {
        return QFileDialog::getOpenFileName(
            this, QString(), QString(),
            m_messages.text(QStringLiteral("u50")) + QStringLiteral(" (*.jpg *.JPG *.bmp *.BMP *.gif *.GIF);;") +
                m_messages.text(QStringLiteral("u51")) + QStringLiteral(" (*)"));
    };
    openWithDesktop = [](const QString& path) { QDesktopServices::openUrl(paths::fileUrl(path)); };

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 4);
    Label3 = new QLabel(this);
    i18n::markNotTranslated(Label3); // the photo's file
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setAlignment(Qt::AlignCenter);
    QFont small = Label3->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    Label3->setFont(small);
    Label3->setStyleSheet(QStringLiteral("color: grey"));
    Label3->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred); // a long path never widens the page
    Image4 = new QLabel(this);
    i18n::markNotTranslated(Image4); // the photo, or why it cannot be shown
    Image4->setObjectName(QStringLiteral("Image4"));
    Image4->setAlignment(Qt::AlignCenter);
    // Room for the no-photos text even at the window's smallest.
    Image4->setMinimumSize(1, 2 * Image4->fontMetrics().height());
    QSizePolicy imagePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    // Hidden, the picture keeps its room: the no-photos text is drawn there, above the comments.
    imagePolicy.setRetainSizeWhenHidden(true);
    Image4->setSizePolicy(imagePolicy);
    Image4->installEventFilter(this);
    Label7 = new QLabel(QStringLiteral("Comments:"), this);
    Label7->setObjectName(QStringLiteral("Label7"));
    setTextKey(Label7, 71);
    Label7->setFont(small);
    Label7->setStyleSheet(QStringLiteral("color: grey"));
    Memo1 = new QTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setAcceptRichText(false);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setFixedHeight(80);
    Memo1->installEventFilter(this);
    Memo1->document()->setDefaultTextOption(QTextOption(Qt::AlignHCenter)); // centred text

    auto* row = new QHBoxLayout;
    Button2 = button(QStringLiteral("Button2"), QStringLiteral("<< Prev"), 44, this);
    Button10 = button(QStringLiteral("Button10"), QStringLiteral("All"), 45, this);
    Button1 = button(QStringLiteral("Button1"), QStringLiteral("Next >>"), 46, this);
    Label4 = new QLabel(this);
    i18n::markNotTranslated(Label4); // the counter, or the "No photos" message
    Label4->setObjectName(QStringLiteral("Label4"));
    // The counter keeps room for its longest text; the buttons give way to it.
    Label4->setMinimumWidth(
        std::max(Label4->fontMetrics().horizontalAdvance(m_messages.text(QStringLiteral("u57")).arg(100).arg(100)),
                 Label4->fontMetrics().horizontalAdvance(m_messages.text(QStringLiteral("l1")))) +
        4);
    Button9 = button(QStringLiteral("Button9"), QStringLiteral("Edit"), 47, this);
    Button3 = button(QStringLiteral("Button3"), QStringLiteral("Add"), 48, this);
    Button8 = button(QStringLiteral("Button8"), QStringLiteral("Delete"), 24, this);
    Button12 = button(QStringLiteral("Button12"), QStringLiteral("Save4web"), 70, this);
    for (QWidget* w : {static_cast<QWidget*>(Button2), static_cast<QWidget*>(Button10),
                       static_cast<QWidget*>(Button1), static_cast<QWidget*>(Label4)})
        row->addWidget(w);
    row->addStretch(1);
    auto* right = new QVBoxLayout;
    auto* rightTop = new QHBoxLayout;
    for (QPushButton* b : {Button9, Button3, Button8})
        rightTop->addWidget(b);
    right->addLayout(rightTop);
    right->addWidget(Button12, 0, Qt::AlignRight);
    row->addLayout(right);

    layout->addWidget(Label3);
    layout->addWidget(Image4, 1);
    // The caption sits on its box: all room to spare goes to the photo.
    Label7->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    layout->addWidget(Label7, 0, Qt::AlignBottom);
    layout->addWidget(Memo1);
    layout->addLayout(row);

    connect(Button1, &QPushButton::clicked, this, &PhotoPanel::next);
    connect(Button2, &QPushButton::clicked, this, &PhotoPanel::prev);
    connect(Button10, &QPushButton::clicked, this, [this] {
        if (!m_folder.isEmpty())
            openWithDesktop(m_folder + u'/');
    });
    connect(Button9, &QPushButton::clicked, this, [this] {
        if (m_folder.isEmpty())
            return;
        if (const QString web = webCopy(); !web.isEmpty())
            openWithDesktop(web);
        else if (const QString photo = currentPhotoPath(); !photo.isEmpty())
            openWithDesktop(photo); // one that cannot be shown too: the desktop's program may read it
    });
    connect(Button3, &QPushButton::clicked, this, [this] {
        if (m_folder.isEmpty())
            return;
        const QString file = choosePicture();
        if (!file.isEmpty())
            addPhoto(file);
    });
    connect(Button8, &QPushButton::clicked, this, &PhotoPanel::deletePhoto);
    setNoPhotos(m_messages.text(QStringLiteral("l1")));
}

QString PhotoPanel::shownPhotoPath() const
{
    return m_shown ? paths::join(m_folder, m_photos.value(m_index - 1)) : QString();
}

QString PhotoPanel::currentPhotoPath() const
{
    return m_folder.isEmpty() || m_photos.isEmpty() ? QString()
                                                    : paths::join(m_folder, m_photos.value(m_index - 1));
}

void PhotoPanel::setNoPhotos(const QString& text)
{
    m_shown = false;
    m_image = QImage();
    Image4->clear();
    Image4->hide();
    m_panelText = text;
    update();
}

void PhotoPanel::clearLines()
{
    const QSignalBlocker quiet(Memo1);
    Memo1->clear();
    Label3->clear();
}

void PhotoPanel::followFolder(const QString& from, const QString& to)
{
    if (m_folder == from)
        m_folder = to;
    else if (m_folder.startsWith(from + u'/'))
        m_folder = to + m_folder.mid(from.size());
}

bool PhotoPanel::loadAlbum(const QString& nodeFolder)
{
    m_folder = nodeFolder;
    m_index = 1;
    m_pending = false;
    m_photos = nodeFolder.isEmpty() ? QStringList() : album::listPhotos(nodeFolder);
    setNoPhotos(m_messages.text(QStringLiteral("l1")));
    if (m_photos.isEmpty()) {
        Label4->setText(m_messages.text(QStringLiteral("l1")));
        return true;
    }
    m_panelText.clear();
    Image4->show();
    return showPhoto(1);
}

bool PhotoPanel::showPhoto(int n)
{
    if (m_photos.isEmpty()) {
        Label4->setText(m_messages.text(QStringLiteral("l1")));
        return true;
    }
    Label4->setText(m_messages.text(QStringLiteral("u57")).arg(n).arg(photoCount()));
    m_index = n;
    const QString path = paths::join(m_folder, m_photos.value(n - 1));
    if (!isVisible()) {
        // Behind the pages the picture is decoded only when the photo page is opened, so moving
        // from plant to plant does not wait for photos nobody looks at.
        m_pending = true;
        m_shown = true;
        m_image = QImage();
        Image4->clear();
        showComment(path);
        return true;
    }
    m_pending = false;
    QString error;
    if (isVisible()) { // the panel says so while the photo is read
        Image4->hide();
        m_panelText = m_messages.text(QStringLiteral("u65"));
        repaint();
    }
    // A large JPEG is decoded at the smallest scale that still covers the picture area; the one Next
    // shows is decoded meanwhile.
    const QSize fitTo = size().expandedTo(QSize(640, 480));
    const QImage image = m_prefetch.take(path, fitTo, &error);
    if (photoCount() > 1)
        m_prefetch.start(paths::join(m_folder, m_photos.value(n >= photoCount() ? 0 : n)), fitTo);
    m_panelText.clear();
    if (image.isNull()) {
        Image4->show();
        m_shown = false;
        Image4->clear();
        m_panelText.clear();
        Image4->setText(error); // told in the panel; the album goes on working
        Label3->setText(m_photos.value(n - 1));
        return false;
    }
    m_image = image;
    m_shown = true;
    Image4->show();
    fit();
    showComment(path);
    return true;
}

void PhotoPanel::showComment(const QString& path)
{
    const int n = m_index;
    album::ensureComment(path);
    QString comment;
    const IoStatus read = album::readComment(path, &comment);
    if (!read.ok()) {
        m_sink.warning(QStringLiteral("The comment of ") + m_photos.value(n - 1) +
                       QStringLiteral(" cannot be read: ") + read.text);
    } else {
        noteComment(path);
        const QSignalBlocker quiet(Memo1);
        Memo1->setPlainText(comment);
        Memo1->moveCursor(QTextCursor::End);
    }
    Label3->setText(m_photos.value(n - 1));
}

void PhotoPanel::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (m_pending)
        showPhoto(m_index);
}

void PhotoPanel::next()
{
    if (m_photos.isEmpty())
        return;
    showPhoto(m_index >= photoCount() ? 1 : m_index + 1);
}

void PhotoPanel::prev()
{
    if (m_photos.isEmpty())
        return;
    showPhoto(m_index <= 1 ? photoCount() : m_index - 1);
}

void PhotoPanel::noteComment(const QString& path)
{
    const QString file = album::commentPath(path);
    m_commentFile = paths::identity(file);
    m_commentBytes.clear();
    atomicfile::readAll(file, &m_commentBytes);
}

void PhotoPanel::saveComment()
{
    if (!m_shown)
        return;
    // Another program (a sync engine) changed the comment since it was shown: the user says which
    // text stays, and the other goes to the trash, never lost.
    const QString file = album::commentPath(shownPhotoPath());
    QByteArray now;
    if (paths::identity(file) != m_commentFile && atomicfile::readAll(file, &now).ok() &&
        now != m_commentBytes) {
        if (!m_sink.question(m_messages.textWithName(QStringLiteral("k31"), m_photos.value(m_index - 1)))) {
            const QString mine = file + QStringLiteral(" (typed here)");
            if (album::writeCommentFile(mine, Memo1->toPlainText()).ok())
                trash::moveToTrash(mine);
            showComment(shownPhotoPath());
            return;
        }
        trash::moveToTrash(file);
    }
    const IoStatus s = album::writeComment(shownPhotoPath(), Memo1->toPlainText());
    if (s.ok())
        noteComment(shownPhotoPath());
    if (!s.ok())
        m_sink.warning(QStringLiteral("The comment could not be saved to ") +
                       album::commentPath(shownPhotoPath()) + QStringLiteral(": ") + s.text +
                       QStringLiteral("\rIt stays in the box; it is saved with the next key."));
}

void PhotoPanel::addPhoto(const QString& file)
{
    const QString target = paths::join(m_folder, paths::fileNameOf(file));
    if (paths::exists(target))
        return; // a photo of that name is there already
    const IoStatus s = album::addPhoto(m_folder, file);
    if (!s.ok())
        m_sink.warning(QStringLiteral("The photo could not be added as ") + target + QStringLiteral(": ") +
                       s.text);
    Q_EMIT reselectNode();
}

void PhotoPanel::deletePhoto()
{
    if (m_folder.isEmpty())
        return;
    const QString web = webCopy();
    // A photo that cannot be decoded is deleted like any other.
    const QString target = !web.isEmpty() ? web : currentPhotoPath();
    // Deleted photos go to the desktop's trash; where none can take them the question says so.
    const bool toTrash = target.isEmpty() || trash::canTrash(target);
    // The question names what goes: the web copy by its whole path, a photo by its name.
    const QString named = !web.isEmpty() ? web : paths::fileNameOf(target);
    const QString where = toTrash ? m_messages.textWithName(QStringLiteral("u63"), named) : named;
    if (!m_sink.question(m_messages.text(toTrash ? QStringLiteral("q2") : QStringLiteral("k17")) +
                         QStringLiteral("\n\n") + where))
        return;
    if (!target.isEmpty()) {
        const IoStatus s = !web.isEmpty() ? (toTrash                  ? trash::moveToTrash(web).status
                                             : paths::removeFile(web) ? IoStatus()
                                                                      : IoStatus::fromErrno(errno))
                                          : album::deletePhoto(target, toTrash);
        if (!s.ok())
            m_sink.warning(m_messages.textWithName(QStringLiteral("k18"), target) + u' ' + s.text);
    }
    Q_EMIT reselectNode();
}

void PhotoPanel::showPicture(const QImage& picture)
{
    m_image = picture;
    fit();
}

QString PhotoPanel::webCopy() const
{
    const QString line = Label3->text();
    return m_shown && !line.isEmpty() && line != m_photos.value(m_index - 1) ? line : QString();
}

void PhotoPanel::noteWebCopy(const QString& path)
{
    Label3->setText(path);
}

void PhotoPanel::fit()
{
    if (m_image.isNull())
        return;
    const QSize room = Image4->size();
    QImage shown = m_image;
    if (m_image.width() > room.width() || m_image.height() > room.height())
        shown = m_image.scaled(room, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    Image4->setPixmap(QPixmap::fromImage(shown));
}

void PhotoPanel::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    fit();
}

bool PhotoPanel::eventFilter(QObject* watched, QEvent* e)
{
    // A key release is saved only after its press in the box: the release of the Enter that
    // closed a message box lands here too, and must not bring the box straight back.
    if (watched == Memo1 && e->type() == QEvent::KeyPress)
        m_keyDown = true;
    if (watched == Memo1 && e->type() == QEvent::KeyRelease && m_keyDown) {
        m_keyDown = false;
        saveComment();
    }
    if (watched == Image4 && e->type() == QEvent::MouseButtonDblClick && m_shown)
        openWithDesktop(shownPhotoPath());
    if (watched == Image4 && e->type() == QEvent::Resize)
        fit();
    return QWidget::eventFilter(watched, e);
}

void PhotoPanel::paintEvent(QPaintEvent* e)
{
    QWidget::paintEvent(e);
    if (Image4->isVisible() || m_panelText.isEmpty())
        return;
    QPainter p(this);
    QFont f(QStringLiteral("Serif"));
    f.setStyleHint(QFont::Serif);
    f.setPixelSize(32);
    f.setItalic(true);
    p.setFont(f);
    p.setPen(QColor(0x80, 0, 0));
    p.drawText(Image4->geometry(), Qt::AlignCenter | Qt::TextWordWrap, m_panelText);
}
