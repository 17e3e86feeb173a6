#include "groups/tform2.h"

#include "i18n/translate.h"

#include "groups/groupops.h"
#include "groups/smoothresize.h"
#include "platform/bgrcolor.h"
#include "platform/names.h"
#include "platform/picturefile.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

#include <algorithm>
#include <cstdlib>

namespace {

QLabel* label(const QString& text, int key, QWidget* parent, int x, int y)
{
    auto* l = new QLabel(text, parent);
    setTextKey(l, key);
    l->move(x, y);
    l->adjustSize();
    return l;
}

QPushButton* button(const QString& name, const QString& text, int key, QWidget* parent, QRect r)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    setTextKey(b, key);
    b->setGeometry(r);
    b->setAutoDefault(false); // Enter is OK wherever the keyboard is, not the focused button
    return b;
}

} // namespace

TForm2::TForm2(const MessageTable& messages, MessageSink& sink, QWidget* parent)
    : QDialog(parent), m_messages(messages), m_sink(sink)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(messages.text(QStringLiteral("u54")));
    setFixedSize(447, 438);
    auto* upper = new QWidget(this);
    upper->setGeometry(0, 0, 447, 110);
    QLabel* nameLabel = label(QStringLiteral("The name of group:"), 50, upper, 8, 16);
    Edit1 = new QLineEdit(upper);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    // The box starts after its caption, however wide the caption's font makes it.
    const int editLeft = std::max(120, nameLabel->geometry().right() + 6);
    Edit1->setGeometry(editLeft, 13, 433 - editLeft, 21);
    label(QStringLiteral("Background color:"), 51, upper, 8, 40);
    Shape1 = new QFrame(upper);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setGeometry(120, 40, 137, 33);
    Shape1->setFrameShape(QFrame::Box);
    Shape1->setAutoFillBackground(true);
    Shape1->setToolTip(QString::fromUtf8("Клик мышкой для выбора цвета"));
    Shape1->installEventFilter(this);
    Button3 =
        button(QStringLiteral("Button3"), QStringLiteral("Choose color"), 54, upper, QRect(264, 40, 97, 33));
    Button3->installEventFilter(this); // a mouse press opens the colour dialog at once
    connect(Button3, &QPushButton::clicked, this, &TForm2::chooseColor); // Space from the keyboard
    QLabel* imageLabel = label(QStringLiteral("Image of group:            or   "), 52, upper, 8, 88);
    Button4 = button(QStringLiteral("Button4"), QStringLiteral("Choose your own"), 53, upper,
                     QRect(144, 88, 113, 17));
    askPicturePath = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("Choose your image"), QString(),
                                            QStringLiteral("All (*.jpg *.bmp *.JPG *.BMP)"));
    };
    connect(Button4, &QPushButton::clicked, this, [this] {
        const QString path = askPicturePath();
        if (!path.isEmpty())
            chooseOwnPicture(path);
    });
    gimage = new QLabel(upper);
    gimage->setObjectName(QStringLiteral("gimage"));
    gimage->setGeometry(367, 40, 70, 65);
    gimage->setScaledContents(true);

    auto* pictures = new QWidget(this);
    pictures->setGeometry(0, 110, 447, 287);
    const int columns[6] = {8, 80, 152, 224, 296, 368};
    const int rows[4] = {8, 75, 142, 209};
    for (int n = 1; n <= groupops::kBuiltInPictures; ++n) {
        // Columns 1-4 hold pictures 1..16 row by row; columns 5 and 6 hold 17..20 and 21..24.
        const int column = n <= 16 ? (n - 1) % 4 : (n <= 20 ? 4 : 5);
        const int row = n <= 16 ? (n - 1) / 4 : (n - 17) % 4;
        auto* im = new QLabel(pictures);
        im->setObjectName(QStringLiteral("Im%1").arg(n));
        im->setGeometry(columns[column], rows[row], 70, 65);
        im->setScaledContents(true);
        im->setPixmap(QPixmap::fromImage(groupops::builtInPicture(n)));
        im->setProperty("pictureNumber", n);
        im->setCursor(Qt::PointingHandCursor);
        im->setFocusPolicy(Qt::StrongFocus); // arrow keys go among the pictures, Enter or Space chooses
        im->installEventFilter(this);
    }
    pictures->setStyleSheet(QStringLiteral("QLabel:focus { border: 2px dotted palette(highlight); }"));
    auto* bar = new QWidget(this);
    bar->setGeometry(0, 397, 447, 41);
    Button1 = button(QStringLiteral("Button1"), QStringLiteral("Cancel"), 55, bar, QRect(280, 8, 75, 25));
    Button2 = button(QStringLiteral("Button2"), QStringLiteral("OK"), 56, bar, QRect(360, 8, 75, 25));
    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
    Button2->setDefault(true); // Enter confirms, Escape cancels
    chooseBuiltIn(1);
    setColor(0xFFFFFF);
    i18n::translateWithCurrent(this);
    // The "or" at the end of the caption stays in sight, however wide the font makes it.
    imageLabel->adjustSize();
    Button4->move(std::max(Button4->x(), imageLabel->geometry().right() + 4), Button4->y());
}

void TForm2::preset(const QString& name, int pictureNumber, const QImage& picture, int color)
{
    Edit1->setText(name);
    m_number = pictureNumber;
    m_picture = picture;
    showChosen();
    setColor(color);
}

QString TForm2::groupName() const
{
    return Edit1->text();
}

void TForm2::setColor(int color)
{
    m_color = color & 0xFFFFFF;
    QPalette pal = Shape1->palette();
    pal.setColor(QPalette::Window, bgrcolor::toColor(m_color));
    Shape1->setPalette(pal);
}

void TForm2::chooseBuiltIn(int n)
{
    m_number = n;
    m_picture = groupops::builtInPicture(n);
    showChosen();
}

void TForm2::showChosen()
{
    gimage->setPixmap(QPixmap::fromImage(m_picture));
    gimage->setProperty("tag", m_number);
}

void TForm2::chooseOwnPicture(const QString& path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext != u"jpg" && ext != u"bmp") {
        m_sink.warning(m_messages.text(QStringLiteral("e4")));
        return;
    }
    QString error;
    const QImage source = picturefile::read(path, QSize(), &error);
    const QImage resized = source.isNull() ? QImage() : SmoothResize(source, 70, 65);
    if (resized.isNull()) {
        m_sink.warning(m_messages.text(QStringLiteral("e5")) + u' ' +
                       (error.isEmpty() ? QStringLiteral("?") : error));
        return;
    }
    m_picture = resized;
    m_number = groupops::kOwnPicture;
    showChosen();
}

void TForm2::chooseColor()
{
    const QColor c = QColorDialog::getColor(bgrcolor::toColor(m_dialogColor), this, QString());
    if (!c.isValid())
        return;
    m_dialogColor = bgrcolor::fromColor(c);
    setColor(m_dialogColor);
}

void TForm2::Button2Click()
{
    const QString name = Edit1->text();
    if (name.isEmpty())
        return;
    // A name the folder could not hold is refused here, before anything touches the disk.
    const names::Problem problem = names::check(name);
    if (problem != names::Problem::None) {
        m_sink.warning(m_messages.textWithName(names::messageKey(problem), name));
        return;
    }
    accept();
}

bool TForm2::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::MouseButtonPress) {
        if (watched == Shape1 || watched == Button3) {
            chooseColor();
            return true;
        }
        const QVariant n = watched->property("pictureNumber");
        if (n.isValid()) {
            chooseBuiltIn(n.toInt());
            return true;
        }
    }
    if (e->type() == QEvent::KeyPress && watched->property("pictureNumber").isValid()) {
        auto* im = static_cast<QWidget*>(watched);
        switch (static_cast<QKeyEvent*>(e)->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            chooseBuiltIn(im->property("pictureNumber").toInt());
            return true;
        case Qt::Key_Left:
            return stepAmongPictures(im, QPoint(-1, 0));
        case Qt::Key_Right:
            return stepAmongPictures(im, QPoint(1, 0));
        case Qt::Key_Up:
            return stepAmongPictures(im, QPoint(0, -1));
        case Qt::Key_Down:
            return stepAmongPictures(im, QPoint(0, 1));
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, e);
}

bool TForm2::stepAmongPictures(QWidget* from, QPoint direction)
{
    // The nearest picture that way, straight lines first.
    QWidget* best = nullptr;
    int bestScore = 0;
    const QPoint c = from->geometry().center();
    for (QWidget* im : from->parentWidget()->findChildren<QWidget*>()) {
        if (!im->property("pictureNumber").isValid() || im == from)
            continue;
        const QPoint d = im->geometry().center() - c;
        const int along = d.x() * direction.x() + d.y() * direction.y();
        if (along <= 0)
            continue;
        const int across = std::abs(d.x() * direction.y()) + std::abs(d.y() * direction.x());
        const int score = along + 4 * across;
        if (!best || score < bestScore) {
            best = im;
            bestScore = score;
        }
    }
    if (best)
        best->setFocus(Qt::TabFocusReason);
    return true;
}


