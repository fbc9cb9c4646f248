#pragma once

#include "platform/gui/Application.h"

#include <QTest>

// A test executable's main: the program's own application object, so that failures raised in
// handlers reach the error report as they do in the program.
#define QUILLMARK_TEST_MAIN(TestClass)                      \
    int main(int argc, char *argv[])                        \
    {                                                       \
        TApplication app(argc, argv);                       \
        TestClass test;                                     \
        return QTest::qExec(&test, argc, argv);             \
    }
