// Runs every test group of the link label; fails when any group fails.
#include "ControlsTests.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    int failures = 0;
    failures += RunDesktopHandlerTests(argc, argv);
    failures += RunLinkLabelServicesTests(argc, argv);
    failures += RunCLinkLabelTests(argc, argv);
    return failures == 0 ? 0 : 1;
}
