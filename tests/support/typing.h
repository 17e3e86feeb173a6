#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QWidget>

// Types text as key presses, letters outside ASCII too.
inline void typeText(QWidget* w, const QString& text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}
