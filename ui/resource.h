// Resource and control identifiers of the main dialog, shared by both front
// ends: the Win32 resource script includes this file, the Qt dialog lays its
// controls out by the same numbers. Plain #defines, so that the resource
// compiler can read them.
#pragma once

#define IDD_QUILLBEY_DIALOG 102
#define IDR_MAINFRAME 128
#define IDB_PLATFORM_BANNER 129
#define IDB_BROWSE_FOLDER 135

#define IDC_NAME 1002
#define IDC_VERSION 1003
#define IDC_MAKER 1004
#define IDC_ROMLIST 1006
#define IDC_FOLDER 1007
#define IDC_BROWSE 1008
#define IDC_COMPLEMENT 1011
#define IDC_UNITCODE 1012
#define IDC_DEVICETYPE 1013
#define IDC_LOGOERROR 1015
#define IDC_WEBLINK 1016
#define IDC_MAILLINK 1017
#define IDC_SERIAL 1018
#define IDC_ROMSIZE 1019
#define IDC_CRC32 1020

// Each label of a detail field has its field's ID plus this offset: the
// labels' texts come from the same field description as the fields'.
#define IDC_LABEL_OFFSET 100
