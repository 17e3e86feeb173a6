// The main window's group bar: building it from MyPlants, the group click, and the group menu.
#include "app/mainform.h"
#include "i18n/translate.h"
#include "platform/codepage.h"

#include "editor/editor.h"
#include "editor/ruler.h"
#include "groups/grouplist.h"
#include "groups/groupops.h"
#include "groups/tform2.h"
#include "groups/tframe1.h"
#include "photos/photopanel.h"
#include "platform/bgrcolor.h"
#include "platform/messagesink.h"
#include "platform/names.h"
#include "platform/paths.h"
#include "platform/picturefile.h"
#include "store/collection.h"
#include "store/errorlog.h"
#include "store/templates.h"
#include "tree/planttree.h"

#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

void TMainForm::buildGroupMenu()
{
    PopupMenu3 = new QMenu(this);
    PopupMenu3->setObjectName(QStringLiteral("PopupMenu3"));
    auto item = [this](const QString& name, const QString& text, int key, auto handler) {
        QAction* a = PopupMenu3->addAction(text);
        a->setObjectName(name);
        setTextKey(a, key);
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    item(QStringLiteral("N22"), QStringLiteral("Add group"), 33, &TMainForm::addGroup);
    item(QStringLiteral("N23"), QStringLiteral("Change"), 34, &TMainForm::changeGroup);
    QAction* del = item(QStringLiteral("N24"), QStringLiteral("Delete"), 24, &TMainForm::deleteGroup);
    PopupMenu3->addSeparator()->setObjectName(QStringLiteral("N27"));
    item(QStringLiteral("N26"), QStringLiteral("Move UP"), 36,
         [this] { moveGroup(selectedSlot, selectedSlot - 1); });
    item(QStringLiteral("MoveDOWN1"), QStringLiteral("Move DOWN"), 37,
         [this] { moveGroup(selectedSlot, selectedSlot + 1); });
    PopupMenu3->addSeparator()->setObjectName(QStringLiteral("N28"));
    QMenu* patterns = PopupMenu3->addMenu(QStringLiteral("Edit patterns"));
    patterns->setObjectName(QStringLiteral("N29"));
    setTextKey(patterns->menuAction(), 38);
    for (const auto& [name, text, key, handler] :
         {std::tuple{QStringLiteral("N30"), QStringLiteral("Description"), 5, &TMainForm::N30Click},
          std::tuple{QStringLiteral("N32"), QStringLiteral("Care"), 6, &TMainForm::N32Click},
          std::tuple{QStringLiteral("N33"), QStringLiteral("Diary"), 7, &TMainForm::N33Click}}) {
        QAction* a = patterns->addAction(text);
        a->setObjectName(name);
        setTextKey(a, key);
        connect(a, &QAction::triggered, this, handler);
    }
    N8 = new QMenu(QStringLiteral("Send to..."), this);
    N8->setObjectName(QStringLiteral("N8"));
    connect(PopupMenu3, &QMenu::aboutToShow, this, [this, del] {
        del->setEnabled(groupCount != 1);
    });
    // The bar, its pictures and its captions all open the group menu.
    Frame11->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Frame11, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu3->popup(Frame11->mapToGlobal(at)); });
    connect(Frame11, &TFrame1::groupPressed, this, &TMainForm::Image3MouseDown);
    connect(Frame11, &TFrame1::groupDropped, this, &TMainForm::groupDropped);
    Frame11->accepts = [this](const QMimeData* data, QObject* source) {
        if (data->hasFormat(QString::fromLatin1(GroupPicture::kMimeType)))
            return true;
        return source == TreeView1 && !notesMode; // a plant sent to the group
    };
}

void TMainForm::buildGroupBar()
{
    const GroupScan scan = scanGroups(m_programFolder, true);
    for (const QString& line : scan.errors)
        errorlog::WriteErrorLog(m_programFolder, line);
    firstGroupName = scan.firstGroupName;
    Frame11->build(scan.slots, m_programFolder);
    groupCount = Frame11->count();
    pictureNumbers.clear();
    for (int n = 1; n <= groupCount; ++n)
        pictureNumbers.push_back(Frame11->entry(n).picture);
    if (groupCount == 0) {
        // A collection without groups gets the three default ones; the next build shows them.
        // They are given their places in the order listed, whatever order the disk lists folders in.
        int order = 0;
        for (const groupops::DefaultGroup& g : groupops::kDefaultGroups) {
            const QString name = QString::fromLatin1(g.name);
            if (groupops::createGroupOnDisk(m_programFolder, name, g.color, g.picture, m_messages, *m_sink)) {
                ++order;
                groupops::writeOrder(m_programFolder, name, order, 0, order);
            }
        }
    }
    if (groupCount > 0)
        Frame11->frameSlot(std::clamp(selectedSlot, 1, groupCount));
    m_addGroupFile->setEnabled(true);
    fillSendTo();
    // Tab goes along the bar, then to the tree, the page buttons and the page.
    QWidget* previous = groupCount > 0 ? Frame11->picture(groupCount) : nullptr;
    for (QWidget* w :
         std::initializer_list<QWidget*>{TreeView1, Button4, Button5, Button7, Button6, BitBtn1, Editor}) {
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    }
    // The new pictures and captions open the group menu too.
    for (int n = 1; n <= groupCount; ++n)
        for (QWidget* w :
             {static_cast<QWidget*>(Frame11->picture(n)), static_cast<QWidget*>(Frame11->caption(n))}) {
            w->setContextMenuPolicy(Qt::CustomContextMenu);
            connect(w, &QWidget::customContextMenuRequested, this,
                    [this, w](const QPoint& at) { PopupMenu3->popup(w->mapToGlobal(at)); });
        }
}

void TMainForm::fillSendTo()
{
    // "Send to..." lists the groups in the bar's order.
    N8->clear();
    for (int n = 1; n <= groupCount; ++n) {
        QAction* a = N8->addAction(Frame11->entry(n).name);
        a->setObjectName(QStringLiteral("mgr%1").arg(n));
        i18n::markNotTranslated(a); // a group's own name
        a->setData(n);
    }
}

void TMainForm::selectGroupAtStartUp()
{
    int chosen = 1;
    bool matched = false;
    for (int n = 1; n <= groupCount; ++n)
        if (Frame11->entry(n).name == rememberedGroupName) {
            chosen = n;
            matched = true;
            break;
        }
    // main.ini holds Windows-1251: a name with characters it cannot hold (a placeholder for bytes no
    // code page shows) comes back with '?' in their place, and is found in that form.
    for (int n = 1; n <= groupCount && !matched; ++n)
        if (cp1251::encode(Frame11->entry(n).name) == cp1251::encode(rememberedGroupName)) {
            chosen = n;
            matched = true;
            rememberedGroupName = Frame11->entry(n).name;
        }
    if (!matched && groupCount > 0)
        rememberedGroupName = Frame11->entry(1).name;
    currentGroupName = rememberedGroupName;
    loadTree(currentGroupName);
    selectedSlot = currentSlot = chosen;
    Frame11->frameSlot(chosen);
}

void TMainForm::showGroup(const QString& caption, const QString& folder)
{
    currentGroupName = folder;
    loadTree(folder);
    Label2->setText(caption);
}

void TMainForm::Image3MouseDown(int slot, Qt::MouseButton)
{
    // The page on show is written first; if it cannot be, the group stays.
    if (!FileSave())
        return;
    if (slot != selectedSlot || notesMode) {
        currentPageFile = QStringLiteral("description.rtf");
        showEditorArea(Button4);
        currentSlot = slot;
        const QString name = Frame11->entry(slot).name;
        showGroup(name, name);
        selectedSlot = slot;
        Frame11->frameSlot(slot);
        notesMode = false;
    }
    templates::ensureTemplates(m_programFolder, currentGroupName);
}

void TMainForm::reselectCurrentGroup()
{
    for (int n = 1; n <= groupCount; ++n)
        if (Frame11->entry(n).name == currentGroupName) {
            selectedSlot = currentSlot = n;
            break;
        }
    Frame11->frameSlot(selectedSlot);
}

void TMainForm::addGroup()
{
    TForm2 editor(m_messages, *m_sink, this);
    if (editor.exec() == QDialog::Accepted) {
        const QString name = editor.groupName();
        // A name a group already has changes only that group's colour and picture, not its place.
        const bool existed = paths::isDir(collection::groupFolder(m_programFolder, name));
        bool made = true;
        if (editor.pictureNumber() == groupops::kOwnPicture) {
            const IoStatus s = groupops::saveOwnPicture(m_programFolder, name, editor.picture());
            if (!s.ok()) {
                showError(m_messages.text(QStringLiteral("e8")) + u' ' +
                          collection::groupFolder(m_programFolder, name) + QStringLiteral(": ") + s.text);
                made = false;
            }
        }
        if (made && groupops::createGroupOnDisk(m_programFolder, name, editor.color(), editor.pictureNumber(),
                                                m_messages, *m_sink) &&
            !existed) {
            // The new group goes after the last one; the listing position the bar would give it
            // can be a place another group already holds.
            int last = 0;
            for (int n = 1; n <= groupCount; ++n)
                last = std::max(last, Frame11->entry(n).imageOrder);
            groupops::writeOrder(m_programFolder, name, std::min(last + 1, groupops::kMaxOrder), 0, 0);
        }
    }
    buildGroupBar();
    reselectCurrentGroup();
}

void TMainForm::changeGroup()
{
    if (groupCount == 0 || currentSlot < 1 || currentSlot > groupCount)
        return;
    TForm2 editor(m_messages, *m_sink, this);
    int p = pictureNumbers[static_cast<size_t>(currentSlot - 1)];
    const QString ownPicture =
        paths::fixed(collection::groupFolder(m_programFolder, currentGroupName), paths::kGroupImage);
    QImage own;
    QString why;
    if (p == groupops::kOwnPicture && (own = picturefile::read(ownPicture, QSize(), &why)).isNull())
        p = 1;
    pictureNumbers[static_cast<size_t>(currentSlot - 1)] = p;
    editor.preset(currentGroupName, p, p == groupops::kOwnPicture ? own : groupops::builtInPicture(p),
                  bgrcolor::fromColor(TreeView1->palette().color(QPalette::Base)));
    if (!FileSave())
        return;
    if (editor.exec() != QDialog::Accepted)
        return;
    const QString name = editor.groupName();
    const QString before = currentGroupName;
    // Disk first: a refused change leaves the tree in the colour the record still holds.
    const bool changed = groupops::changeGroupOnDisk(m_programFolder, before, name, editor.color(),
                                                     editor.pictureNumber(), m_messages, *m_sink);
    if (changed) {
        currentGroupName = name;
        rememberedGroupName = name;
        if (name != before && m_lastNodes.contains(before))
            m_lastNodes.insert(name, m_lastNodes.take(before));
        if (name != before)
            followFolder(collection::groupFolder(m_programFolder, before),
                         collection::groupFolder(m_programFolder, name));
        if (editor.pictureNumber() == groupops::kOwnPicture) {
            const IoStatus s = groupops::saveOwnPicture(m_programFolder, name, editor.picture());
            if (!s.ok())
                showError(s.text);
        }
    }
    buildGroupBar();
    reselectCurrentGroup();
    Label2->setText(currentGroupName);
    if (!changed)
        return;
    QPalette pal = TreeView1->palette();
    pal.setColor(QPalette::Base, bgrcolor::toColor(editor.color()));
    TreeView1->setPalette(pal);
}

void TMainForm::deleteGroup()
{
    if (groupCount <= 1)
        return;
    int plants = 0;
    for (QTreeWidgetItemIterator it(TreeView1); *it; ++it)
        plants += planttree::isFolder(*it) ? 0 : 1;
    if (!m_sink->question(m_messages.text(QStringLiteral("q1")) + QStringLiteral(" \"") + Label2->text() +
                          QStringLiteral("\"?\n\n") +
                          m_messages.textWithName(QStringLiteral("u64"), QString::number(plants))))
        return;
    if (!FileSave())
        return;
    if (!groupops::removeGroup(m_programFolder, currentGroupName, m_messages, *m_sink).isEmpty()) {
        // The removed group's pages are no longer where the editor would write them.
        Editor->document()->setModified(false);
        editorFileName = untitled();
    }
    selectedSlot = currentSlot = 1;
    buildGroupBar();
    if (groupCount == 0)
        buildGroupBar();
    if (groupCount > 0)
        rememberedGroupName = Frame11->entry(1).name;
    currentGroupName = rememberedGroupName;
    loadTree(currentGroupName);
    buildGroupBar();
    Frame11->frameSlot(1);
}

void TMainForm::moveGroup(int from, int to)
{
    if (from == to || from <= 0 || to <= 0 || to > groupCount || from > groupCount)
        return;
    Frame11->exchange(from, to);
    std::swap(pictureNumbers[static_cast<size_t>(from - 1)], pictureNumbers[static_cast<size_t>(to - 1)]);
    groupops::writeOrder(m_programFolder, Frame11->entry(from).name, from, from, to);
    groupops::writeOrder(m_programFolder, Frame11->entry(to).name, to, from, to);
    fillSendTo();
    selectedSlot = currentSlot = to;
    Frame11->frameSlot(to);
    // The tree still shows the group it showed; the moved group is now the framed one.
    if (Frame11->entry(to).name != currentGroupName)
        showGroup(Frame11->entry(to).name, Frame11->entry(to).name);
}

void TMainForm::groupDropped(int slot, const QMimeData* data, QObject* source)
{
    if (data->hasFormat(QString::fromLatin1(GroupPicture::kMimeType))) {
        moveGroup(data->data(QString::fromLatin1(GroupPicture::kMimeType)).toInt(), slot);
        return;
    }
    // A plant dropped from the tree goes to that group.
    if (source == TreeView1 && !notesMode)
        N9Click(Frame11->entry(slot).name);
}
