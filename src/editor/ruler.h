#pragma once

#include <QFrame>

class PageEditor;

// The ruler above the editor: a bar mark at every default tab stop of the page, a line across, and
// three markers the user drags to set the paragraph's indents: the first line's (FirstInd, on top),
// the other lines' (LeftInd, below it) and the right one (RightInd). While a marker is dragged a
// dotted guide line runs down the editor at its place.
class Ruler : public QFrame {
    Q_OBJECT
public:
    explicit Ruler(PageEditor* editor, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {400, kHeight}; }

    static constexpr int kHeight = 26;
    // Ruler pixels per point of indent.
    static constexpr double kPixelsPerPoint = 4.0 / 3.0;

    // The ruler x of an indent in points, from the text's left edge or (rightSide) its right edge.
    int indentToRuler(double points, bool rightSide) const;
    // The indent in points (whole, truncated towards zero) that the ruler x stands for.
    int rulerToIndent(int x, bool rightSide) const;
    // Puts the markers where the indents of the paragraph at the caret are.
    void placeMarkers();

    QWidget* FirstInd = nullptr;
    QWidget* LeftInd = nullptr;
    QWidget* RightInd = nullptr;
    QFrame* RulerLine = nullptr;
    // The dotted line down the editor while a marker is dragged (a widget over the editor's text).
    QWidget* guideLine() const { return m_guide; }
    bool dragging() const { return m_dragging; }
    const QString& caption() const { return m_caption; }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void markerPressed(QWidget* marker, int x);
    void markerMoved(QWidget* marker, int x);
    void markerReleased(QWidget* marker);
    // Shows the guide line when it is hidden and hides it when it is shown.
    void drawGuide();
    int toEditorX(int rulerX) const;
    int fromEditorX(int editorX) const;

    PageEditor* m_editor;
    QObject* m_viewport = nullptr; // compared only: it may be on its way out
    QWidget* m_guide;
    QString m_caption;
    bool m_dragging = false;
    bool m_guideVisible = false;
    int m_dragOffset = 0;
    int m_guideX = 0;
};
