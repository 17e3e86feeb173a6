#pragma once

#include <QGuiApplication>

// Fontconfig's caches, filled when Qt starts its fonts, live until the process ends: not a leak of ours.
// (Defined here, in the one file of each harness that includes this.)
extern "C" __attribute__((used)) const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}

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
