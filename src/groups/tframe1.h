#pragma once

#include <QScrollArea>

class QFrame;

// The group bar: a vertically scrolling frame whose content panel Panel5 holds the group pictures
// and captions over the selection rectangle Shape1.
class TFrame1 : public QScrollArea {
    Q_OBJECT
public:
    explicit TFrame1(QWidget* parent = nullptr);

    QWidget* Panel5 = nullptr;
    QFrame* Shape1 = nullptr;

    // The narrowest the bar may be: a 71-pixel content panel plus its frame.
    static constexpr int kMinimumWidth = 73;

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void FrameResize();
};
