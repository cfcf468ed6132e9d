// The controls of dialog template 102 in template order, which is also the
// tab order, with their positions and sizes in dialog units.
#pragma once

#include "ui/resource.h"

namespace qt_dialog {

enum ControlKind { Browse, List, Value, Label, Group, Notice, Link, Folder, Banner, Check };

struct TemplateControl {
    ControlKind kind;
    int nId; // the control's ID; for a label, the ID of the field it names
    int x, y, w, h;
};

// clang-format off
inline constexpr TemplateControl kTemplate[] = {
    {Browse, IDC_BROWSE, 106, 11, 14, 12},  {List, IDC_ROMLIST, 7, 26, 113, 130},
    {Value, IDC_NAME, 206, 18, 79, 12},  {Value, IDC_VERSION, 206, 31, 22, 12},
    {Value, IDC_MAKER, 206, 57, 79, 12},  {Value, IDC_UNITCODE, 206, 83, 22, 12},
    {Value, IDC_DEVICETYPE, 206, 96, 22, 12},  {Value, IDC_COMPLEMENT, 206, 109, 44, 12},
    {Label, IDC_NAME, 140, 18, 47, 12},  {Label, IDC_SERIAL, 140, 43, 40, 13},
    {Label, IDC_MAKER, 140, 57, 23, 12},  {Label, IDC_VERSION, 140, 31, 26, 12},
    {Label, IDC_COMPLEMENT, 140, 108, 42, 13},  {Group, -1, 130, 7, 163, 149},
    {Notice, -1, 4, 160, 120, 8},  {Link, IDC_WEBLINK, 7, 171, 113, 8},
    {Link, IDC_MAILLINK, 7, 182, 113, 8},  {Folder, IDC_FOLDER, 7, 13, 87, 12},
    {Label, IDC_UNITCODE, 140, 83, 52, 12},  {Label, IDC_DEVICETYPE, 140, 95, 44, 13},
    {Banner, -1, 189, 178, 103, 13},  {Check, IDC_LOGOERROR, 206, 137, 49, 10},
    {Value, IDC_SERIAL, 206, 44, 79, 12},  {Label, IDC_ROMSIZE, 140, 69, 41, 13},
    {Value, IDC_ROMSIZE, 206, 70, 79, 12},  {Value, IDC_CRC32, 206, 122, 44, 12},
    {Label, IDC_CRC32, 140, 121, 26, 13},
};
// clang-format on

} // namespace qt_dialog
