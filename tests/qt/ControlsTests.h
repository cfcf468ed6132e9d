// Entry points of the link label's test groups, run one after another by
// ControlsTestMain.cpp inside one application object.
#pragma once

int RunCLinkLabelTests(int argc, char** argv);
int RunDesktopHandlerTests(int argc, char** argv);
int RunLinkLabelServicesTests(int argc, char** argv);
