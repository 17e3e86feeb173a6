#pragma once

#include <QColor>
#include <QWidget>

// A self-drawn percentage gauge: a bar (or text, a vertical bar, a pie, a needle) between MinValue
// and MaxValue, with the percentage shown inverted over it.
class TGauge : public QWidget {
    Q_OBJECT
public:
    enum Kind : quint8 { Text = 0, HorizontalBar = 1, VerticalBar = 2, Pie = 3, Needle = 4 };

    explicit TGauge(QWidget* parent = nullptr);

    int MinValue() const { return m_min; }
    int MaxValue() const { return m_max; }
    int Progress() const { return m_progress; }
    // A range that would put the minimum above the maximum is refused: false, *error says
    // "Value must be between %d and %d", and nothing changes.
    bool setMinValue(int v, QString* error = nullptr);
    bool setMaxValue(int v, QString* error = nullptr);
    // Clamped into the range; repainted only when the whole percentage changes.
    void setProgress(int v);
    void setKind(Kind k);
    void setShowText(bool on);
    void setBorder(bool single);
    void setForeColor(const QColor& c);
    void setBackColor(const QColor& c);
    int percentDone() const;
    int repaints() const { return m_repaints; }

    // The gauge as it is drawn.
    QImage render() const;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    int m_min = 0;
    int m_max = 100;
    int m_progress = 0;
    Kind m_kind = HorizontalBar;
    bool m_showText = true;
    bool m_border = true;
    QColor m_fore = Qt::black;
    QColor m_back = Qt::white;
    int m_repaints = 0;
};
