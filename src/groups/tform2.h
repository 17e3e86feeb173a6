#pragma once

#include "i18n/messages.h"
#include "platform/messagesink.h"

#include <QDialog>
#include <QImage>

#include <functional>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// The group editor: a group's name, background colour and picture (one of the 24 built-in ones or
// an own BMP or JPG brought to 70 x 65 by SmoothResize).
class TForm2 : public QDialog {
    Q_OBJECT
public:
    TForm2(const MessageTable& messages, MessageSink& sink, QWidget* parent = nullptr);

    void preset(const QString& name, int pictureNumber, const QImage& picture, int color);
    QString groupName() const;
    int color() const { return m_color; }          // 0x00BBGGRR
    int pictureNumber() const { return m_number; } // 1..24, or 100 for an own picture
    QImage picture() const { return m_picture; }

    // Takes a picture file as the own picture, as "Choose your own" does after its file dialog.
    void chooseOwnPicture(const QString& path);
    // The file dialog of "Choose your own" (tests answer it): the chosen path, empty when cancelled.
    std::function<QString()> askPicturePath;
    void chooseBuiltIn(int n);
    void setColor(int color);

    QLineEdit* Edit1 = nullptr;
    QFrame* Shape1 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;
    QLabel* gimage = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void chooseColor();
    void Button2Click();
    void showChosen();
    bool stepAmongPictures(QWidget* from, QPoint direction);

    const MessageTable& m_messages;
    MessageSink& m_sink;
    int m_color = 0xFFFFFF;
    int m_dialogColor = 0; // the colour dialog opens with the colour last chosen in it
    int m_number = 1;
    QImage m_picture;
};
