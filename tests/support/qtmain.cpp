#include <QApplication>

#include <gtest/gtest.h>

// The main of the tests that make widgets.
int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    QApplication a(argc, argv);
    return RUN_ALL_TESTS();
}
