#pragma once

#include <QWidget>

// The ruler above the editor: a centimetre scale with the paragraph's indent markers.
class Ruler : public QWidget {
    Q_OBJECT
public:
    explicit Ruler(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {400, 24}; }

    // Indents in pixels from the text's left edge.
    void setIndents(int firstLine, int left, int right);
    void setTextLeft(int px);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    int m_textLeft = 9;
    int m_first = 0;
    int m_left = 0;
    int m_right = 0;
};
