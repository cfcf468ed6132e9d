// How many images a dialog's scans read at once: the environment variable
// QUILLBEY_JOBS, a whole number from 1 to 256, overrides the scan's own
// choice; anything else leaves the choice to the scan.
#pragma once

#include "scan/ScanOptions.h"

// Scan options for a dialog, from this process's environment.
ScanOptions ScanOptionsFromEnvironment();
// The number of loads a QUILLBEY_JOBS value asks for, or 0 for "let the scan decide".
int JobsFromText(const char* text);
