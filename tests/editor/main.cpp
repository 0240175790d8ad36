#include <QApplication>

#include "editortestsupport.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int failed = 0;
    failed += orvex::test::runLayoutTest(argc, argv);
    failed += orvex::test::runMapEditingTest(argc, argv);
    failed += orvex::test::runCommandsTest(argc, argv);
    failed += orvex::test::runWindowsTest(argc, argv);
    failed += orvex::test::runUndoTest(argc, argv);
    failed += orvex::test::runViewingTest(argc, argv);
    failed += orvex::test::runFileCommandsTest(argc, argv);
    return failed == 0 ? 0 : 1;
}
