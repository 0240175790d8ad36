#include <QApplication>
#include <QStandardPaths>

#include "editortestsupport.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Settings (recent files, the last folder) go to a test location, never the user's.
    QStandardPaths::setTestModeEnabled(true);
    QApplication::setOrganizationName("orvex-tests");
    const int failed =
        orvex::test::runCommandsTest(argc, argv) + orvex::test::runMapViewTest(argc, argv) +
        orvex::test::runPlacementToolsTest(argc, argv) + orvex::test::runShellTest(argc, argv) +
        orvex::test::runPieceEditorsTest(argc, argv) + orvex::test::runCollisionTest(argc, argv) +
        orvex::test::runProjectTest(argc, argv);
    return failed == 0 ? 0 : 1;
}
