#pragma once

#include "groups/grouplist.h"

#include <QLabel>
#include <QMimeData>
#include <QScrollArea>

#include <functional>
#include <vector>

class QFrame;

// One group's picture gr N in the bar: presses and drops are passed on to the bar.
class GroupPicture : public QLabel {
    Q_OBJECT
public:
    GroupPicture(int slot, QWidget* parent);
    int slot() const { return m_slot; }
    // The mime type of a group picture being dragged; its data is the slot number.
    static constexpr const char* kMimeType = "application/x-verdarium-group";

Q_SIGNALS:
    void pressed(int slot, Qt::MouseButton button);
    void dropped(int slot, const QMimeData* data, QObject* source);
    // Up or Down with the keyboard on this picture: the bar moves the focus by `by` pictures.
    void stepped(int slot, int by);

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    int m_slot;
    bool m_armed = false;

    friend class TFrame1;
    std::function<bool(const QMimeData*, QObject*)> m_accepts;
};

// The group bar: a vertically scrolling frame whose content panel Panel5 holds the group pictures
// (gr N) and captions (dgr N) over the selection rectangle Shape1.
class TFrame1 : public QScrollArea {
    Q_OBJECT
public:
    explicit TFrame1(QWidget* parent = nullptr);

    QWidget* Panel5 = nullptr;
    QFrame* Shape1 = nullptr;

    // The narrowest the bar may be: a 71-pixel content panel plus its frame (and its scroll bar
    // when it shows one).
    static constexpr int kMinimumWidth = 73;

    // Makes the pictures and captions of slots 1..n from the ordered groups, and lays them out.
    void build(const std::vector<GroupEntry>& slots, const QString& programFolder);
    int count() const { return static_cast<int>(m_slots.size()); }
    const GroupEntry& entry(int slot) const { return m_slots[static_cast<size_t>(slot - 1)]; }
    GroupPicture* picture(int slot) const;
    QLabel* caption(int slot) const;
    // Exchanges two slots' contents and lays the bar out again.
    void exchange(int a, int b);
    // Puts the selection rectangle around slot (2 pixels above its picture to the caption's end).
    void frameSlot(int slot);
    // Decides whether a drag may be dropped on a picture (set by the window).
    std::function<bool(const QMimeData*, QObject*)> accepts;

    // The caption of a group name: one word a line, very short words sharing one.
    static QString wrapped(const QString& name, const QFontMetrics& fm);

Q_SIGNALS:
    void groupPressed(int slot, Qt::MouseButton button);
    void groupDropped(int slot, const QMimeData* data, QObject* source);

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void FrameResize();
    void makeWidgets();
    void layOut();
    void fitScrollBar();
    void step(int slot, int by);

    QString m_programFolder;
    std::vector<GroupEntry> m_slots;
    std::vector<GroupPicture*> m_pictures;
    std::vector<QLabel*> m_captions;
};
