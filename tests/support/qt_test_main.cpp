// Widget tests drive real widgets, so one application object spans the whole test run.

#include <cstdlib>
#include <ctime>

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // CTest sets both; these defaults let a test executable run on its own as well.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (!qEnvironmentVariableIsSet("TZ"))
        qputenv("TZ", "Asia/Tokyo");
#ifndef _WIN32
    ::tzset(); // Windows' own zone decides there, which the tests' file times follow as well
#else
    // The offscreen platform reads font files from a folder instead of asking Windows for them.
    if (!qEnvironmentVariableIsSet("QT_QPA_FONTDIR"))
        qputenv("QT_QPA_FONTDIR", qgetenv("WINDIR") + "\\Fonts");
#endif
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
