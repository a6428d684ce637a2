// The entry point of every widget test program. The application object lives in main(), as in
// the program itself, so that it is gone before the static objects of Qt (input devices, font
// caches) and of the tests are destroyed; an application kept in a static could outlive them
// and crash the program on its way out.

#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
