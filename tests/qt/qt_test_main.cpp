// The widget tests' entry: one QApplication (offscreen unless told otherwise) for every test,
// and the Linux style the real program sets at start.
#include <gtest/gtest.h>

#include <QApplication>

#include "common/system_style.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    ::testing::InitGoogleTest(&argc, argv);
    tarvo::setSystemStyle(tarvo::SystemStyle::Linux);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    return RUN_ALL_TESTS();
}
