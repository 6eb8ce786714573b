#include <QApplication>

#include <gtest/gtest.h>

// Widget tests need an application; the offscreen platform needs no display.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    Q_INIT_RESOURCE(t8hostlink);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
