#include <QApplication>

#include "editortestsupport.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int failed =
        orvex::test::runEditorWindowTest(argc, argv) + orvex::test::runCommandsTest(argc, argv);
    return failed == 0 ? 0 : 1;
}
