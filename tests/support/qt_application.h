#pragma once

// Widget tests need one QApplication for the whole test executable; tests call this in SetUp.
// The tests run on Qt's offscreen platform (set by the test command), so no display is needed.

#include <QApplication>

namespace snapvale::test {

inline QApplication& EnsureApplication()
{
    if (auto* existing = qobject_cast<QApplication*>(QCoreApplication::instance()))
        return *existing;
    static int argc = 1;
    static char name[] = "snapvale-tests";
    static char* argv[] = { name, nullptr };
    static QApplication application(argc, argv);
    return application;
}

} // namespace snapvale::test
