#include "publish/publishdialog.h"

#include "groups/grouplist.h"
#include "i18n/messages.h"
#include "i18n/translate.h"
#include "platform/messagesink.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QDir>
#include <QUrl>
#include <QVBoxLayout>

namespace {

template <typename W>
W* keyed(W* w, const char* name, int key)
{
    w->setObjectName(QString::fromLatin1(name));
    setTextKey(w, key);
    return w;
}

} // namespace

PublishDialog::PublishDialog(const QString& programFolder, const QString& proposedFolder,
                             const MessageTable& messages, MessageSink& sink, QWidget* parent)
    : QDialog(parent), m_programFolder(programFolder), m_messages(messages), m_sink(sink)
{
    setObjectName(QStringLiteral("PublishForm"));
    setWindowTitle(messages.text(QStringLiteral("b1")));
    FolderEdit = new QLineEdit(proposedFolder, this);
    FolderEdit->setObjectName(QStringLiteral("FolderEdit"));
    i18n::markNotTranslated(FolderEdit);
    BrowseButton = keyed(new QPushButton(QStringLiteral("Browse..."), this), "BrowseButton", 273);
    GroupBox = new QComboBox(this);
    GroupBox->setObjectName(QStringLiteral("GroupBox"));
    GroupBox->addItem(messages.text(QStringLiteral("b5")), QString());
    for (const GroupEntry& g : scanGroups(programFolder, false).slots)
        if (g.picture > 0)
            GroupBox->addItem(g.name, g.name);
    DiaryBox = keyed(new QCheckBox(QStringLiteral("Include the Diary"), this), "DiaryBox", 275);
    FullPhotosBox = keyed(new QCheckBox(QStringLiteral("Link the full photos"), this), "FullPhotosBox", 276);
    NotesBox = keyed(new QCheckBox(QStringLiteral("Include the notes"), this), "NotesBox", 277);
    Gauge = new QProgressBar(this);
    Gauge->setObjectName(QStringLiteral("Gauge"));
    Gauge->setValue(0);
    ResultLabel = new QLabel(this);
    ResultLabel->setObjectName(QStringLiteral("ResultLabel"));
    ResultLabel->setWordWrap(true);
    ResultLabel->setTextInteractionFlags(Qt::TextBrowserInteraction);
    ResultLabel->setOpenExternalLinks(true);
    i18n::markNotTranslated(ResultLabel);
    PublishButton = keyed(new QPushButton(QStringLiteral("Publish"), this), "PublishButton", 278);
    CloseButton = keyed(new QPushButton(QStringLiteral("Close"), this), "CloseButton", 279);
    PublishButton->setDefault(true);
    auto label = [this](const char* text, int key) {
        auto* l = new QLabel(QString::fromLatin1(text), this);
        setTextKey(l, key);
        return l;
    };
    auto* grid = new QGridLayout;
    grid->addWidget(label("Folder:", 272), 0, 0);
    grid->addWidget(FolderEdit, 0, 1);
    grid->addWidget(BrowseButton, 0, 2);
    grid->addWidget(label("Group:", 274), 1, 0);
    grid->addWidget(GroupBox, 1, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Gauge, 1);
    buttons->addWidget(PublishButton);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(DiaryBox);
    layout->addWidget(FullPhotosBox);
    layout->addWidget(NotesBox);
    layout->addWidget(ResultLabel);
    layout->addLayout(buttons);
    resize(620, sizeHint().height());
    connect(BrowseButton, &QPushButton::clicked, this, [this] {
        const QString dir = QFileDialog::getExistingDirectory(this, windowTitle(), FolderEdit->text());
        if (!dir.isEmpty())
            FolderEdit->setText(dir);
    });
    connect(PublishButton, &QPushButton::clicked, this, &PublishDialog::run);
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
    i18n::translateWithCurrent(this);
}

void PublishDialog::run()
{
    publish::Options o;
    o.outDir = FolderEdit->text().trimmed();
    o.group = GroupBox->currentData().toString();
    o.withDiary = DiaryBox->isChecked();
    o.fullPhotos = FullPhotosBox->isChecked();
    o.withNotes = NotesBox->isChecked();
    o.texts = publish::textsFrom(m_messages);
    o.progress = [this](int done, int total) {
        Gauge->setMaximum(std::max(total, 1));
        Gauge->setValue(done);
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    };
    if (o.outDir.isEmpty())
        return;
    setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const publish::Result r = publish::publishSite(m_programFolder, o);
    QApplication::restoreOverrideCursor();
    setEnabled(true);
    if (!r.ok) {
        m_sink.warning(m_messages.text(QStringLiteral("b3")).arg(r.error));
        return;
    }
    Gauge->setValue(Gauge->maximum());
    m_published = o.outDir;
    // Said in the dialog, with a link that opens the site; what needs a look comes as a warning.
    const QString index = QUrl::fromLocalFile(QDir(o.outDir).absoluteFilePath(QStringLiteral("index.html"))).toString();
    ResultLabel->setText(m_messages.text(QStringLiteral("b2"))
                             .toHtmlEscaped()
                             .replace(QStringLiteral("%1"), QStringLiteral("<a href=\"") + index.toHtmlEscaped() +
                                                                QStringLiteral("\">") + o.outDir.toHtmlEscaped() +
                                                                QStringLiteral("</a>")));
    if (!r.problems.isEmpty())
        m_sink.warning(m_messages.text(QStringLiteral("b4")) + u'\n' + r.problems.join(u'\n'));
}
