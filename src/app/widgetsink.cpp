#include "app/widgetsink.h"

#include <QApplication>
#include <QMessageBox>

namespace {

// A box wraps at spaces only: a long name or path without them would run off the screen, so it is
// given places to break after every few dozen characters.
QString breakable(const QString& text)
{
    constexpr int kRun = 40;
    QString out;
    int run = 0;
    for (const QChar c : text) {
        out += c;
        run = c.isSpace() ? 0 : run + 1;
        if (run >= kRun) {
            out += QChar(0x200B);
            run = 0;
        }
    }
    return out;
}

} // namespace

void WidgetSink::warning(const QString& text)
{
    QMessageBox::warning(m_parent, QApplication::applicationDisplayName(), breakable(text));
}

bool WidgetSink::question(const QString& text)
{
    // Every question the program asks would remove or lose something: a stray Enter keeps it.
    return QMessageBox::question(m_parent, QApplication::applicationDisplayName(), breakable(text),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}
