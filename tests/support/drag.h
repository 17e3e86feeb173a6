#pragma once

#include <QApplication>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <gtest/gtest.h>

// A real drag: the button goes down on from, the pointer moves far enough to start the drag, and
// inside the drag's own loop it moves over to and lets go. The offscreen platform carries no drags,
// so these run under the minimal one (the app_drags test).
inline void dragWithMouse(QWidget* from, QPoint fromAt, QWidget* to, QPoint toAt)
{
    QTest::mousePress(from, Qt::LeftButton, {}, fromAt);
    QTimer::singleShot(0, to, [to, toAt] {
        QTest::mouseMove(to, toAt - QPoint(2, 0));
        QTest::mouseMove(to, toAt);
        QTest::mouseRelease(to, Qt::LeftButton, {}, toAt);
    });
    QTest::mouseMove(from, fromAt + QPoint(0, 1)); // the view arms its drag
    QTest::mouseMove(from, fromAt + QPoint(0, QApplication::startDragDistance() + 6));
    QApplication::processEvents();
}

inline bool platformCarriesDrags()
{
    return QGuiApplication::platformName() != u"offscreen";
}

// Local files dropped on a widget as a file manager drops them (these events need no drag loop).
inline void dropFiles(QWidget* target, const QStringList& files)
{
    QMimeData data;
    for (const QString& f : files)
        data.setUrls(data.urls() << QUrl::fromLocalFile(f));
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    ASSERT_TRUE(target->acceptDrops() && enter.isAccepted()) << "the drop is refused";
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &drop);
}
