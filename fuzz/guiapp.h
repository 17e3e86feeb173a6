#pragma once

#include <QGuiApplication>

// Harnesses that build documents or pictures need one GUI application for the whole run, without a screen.
inline void ensureGuiApplication(const char* name)
{
    static QGuiApplication* app = [name] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char* argv[] = {const_cast<char*>(name), nullptr};
        return new QGuiApplication(argc, argv);
    }();
    (void)app;
}
