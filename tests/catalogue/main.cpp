// The date tree tests drive real widgets, so one application object spans the whole run.

#include <QApplication>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // CTest sets both; these defaults let the executable run on its own as well.
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    ::setenv("TZ", "Asia/Tokyo", 0);
    ::tzset();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
