// The cursors over a grid's borders: a left-right double arrow over a column border, an
// up-down one over a row border, drawn here.
#pragma once

#include <QCursor>

#include "grid_host.h"

QCursor GridCursorShape(GridCursor cursor);
