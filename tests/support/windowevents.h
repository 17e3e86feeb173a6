#pragma once

#include "app/mainform.h"
#include "groups/tframe1.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

// Acts on the next modal window of type T (a message box, a dialog) as soon as it is open.
template <class T> void whenModal(const std::function<void(T*)>& act)
{
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(w);
        }
    });
    poll->start(5);
}

// A right click on a group picture, then a click on the group menu's item.
inline void groupMenu(TMainForm& form, int slot, const char* itemName)
{
    QWidget* picture = form.Frame11->picture(slot);
    QContextMenuEvent press(QContextMenuEvent::Mouse, picture->rect().center(),
                            picture->mapToGlobal(picture->rect().center()));
    QApplication::sendEvent(picture, &press);
    ASSERT_TRUE(form.PopupMenu3->isVisible());
    QAction* a = form.PopupMenu3->findChild<QAction*>(QString::fromLatin1(itemName));
    QTest::mouseClick(form.PopupMenu3, Qt::LeftButton, {}, form.PopupMenu3->actionGeometry(a).center());
}
