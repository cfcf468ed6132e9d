// A ROM list row's mark, drawn as every front end draws it (ui/RowMark.h).
#pragma once

#include "ui/RowMark.h"

#include <QPixmap>

QPixmap RowMarkPixmap(RowMark mark);
