#include <QApplication>

#include <gtest/gtest.h>

// GUI tests need the application object before any widget; Qt also takes the locale from the
// environment here, which the tests set to a comma-decimal one.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
