#pragma once

#include "i18n/messages.h"
#include "photos/photoprefetch.h"
#include "platform/messagesink.h"
#include "platform/paths.h"

#include <QImage>
#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QTextEdit;

// The photo page: the node's photos one at a time, each with its comment, and the album commands.
class PhotoPanel : public QWidget {
    Q_OBJECT
public:
    PhotoPanel(const MessageTable& messages, MessageSink& sink, QWidget* parent = nullptr);

    QLabel* Label3 = nullptr; // the file line
    QLabel* Image4 = nullptr; // the picture
    QLabel* Label7 = nullptr;
    QTextEdit* Memo1 = nullptr;      // the comment box
    QPushButton* Button2 = nullptr;  // << Prev
    QPushButton* Button10 = nullptr; // All
    QPushButton* Button1 = nullptr;  // Next >>
    QLabel* Label4 = nullptr;        // the counter line
    QPushButton* Button9 = nullptr;  // Edit
    QPushButton* Button3 = nullptr;  // Add
    QPushButton* Button8 = nullptr;  // Delete
    QPushButton* Button12 = nullptr; // Save4web

    // Loads the photos of a node folder and shows the first; empty folder: no node selected.
    // False when the first photo could not be shown (the message has been given).
    bool loadAlbum(const QString& nodeFolder);
    bool showPhoto(int n);
    void next();
    void prev();
    void clearLines(); // the comment box and the file line
    // The node's folder (or a folder holding it) was renamed from one path to another: the album
    // follows it, so comments go on being saved beside their photos.
    void followFolder(const QString& from, const QString& to);
    void addPhoto(const QString& file);
    void deletePhoto();

    int photoCount() const { return static_cast<int>(m_photos.size()); }
    int photoIndex() const { return m_index; }
    const QStringList& photos() const { return m_photos; }
    QString shownPhotoPath() const;
    // The album's current photo, whether or not it could be shown.
    QString currentPhotoPath() const;
    const QImage& shownImage() const { return m_image; }
    bool photoShown() const { return m_shown; }
    // Shows the web-size picture in place of the photo, until another photo is shown.
    void showPicture(const QImage& picture);
    // Notes the saved web copy in the file line; Edit and Delete then act on it.
    void noteWebCopy(const QString& path);
    // The web copy the file line names, or empty when it names the shown photo.
    QString webCopy() const;

    // The picture-file dialog and the desktop's default handler (tests replace them).
    std::function<QString()> choosePicture;
    std::function<void(const QString&)> openWithDesktop;

Q_SIGNALS:
    // After Add or Delete the node is selected again, which reloads the album.
    void reselectNode();

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void fit();
    void saveComment();
    void setNoPhotos(const QString& text);
    void showComment(const QString& path);

    const MessageTable& m_messages;
    MessageSink& m_sink;
    QString m_folder;
    QStringList m_photos;
    int m_index = 1;
    bool m_shown = false;
    // The comment file as last read or written here, to notice another program changing it meanwhile.
    paths::Identity m_commentFile;
    QByteArray m_commentBytes;
    void noteComment(const QString& path);
    bool m_pending = false; // a photo waits to be decoded until the page is shown
    bool m_keyDown = false; // a key went down in the comment box (not in a message box over it)
    QImage m_image;
    album::Prefetch m_prefetch;
    QString m_panelText;
};
