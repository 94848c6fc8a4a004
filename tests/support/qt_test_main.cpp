// Widget tests drive real widgets, so one application object spans the whole test run.

#include <cstdlib>
#include <ctime>

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // CTest sets both; these defaults let a test executable run on its own as well.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("TZ", "Asia/Tokyo", 0);
    ::tzset();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
