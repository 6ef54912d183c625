// The resources of the typed value view: its context menu and the bitmaps that show whether a
// row can be expanded.
#pragma once

#include "framework_ids.h"

// Number base and column toggles; the document carries the commands out.
constexpr UINT IDR_VALUE_CONTEXT = 153;
// Our own: the hex page goes to the page holding the first byte of the value picked.
constexpr UINT ID_VALUE_SHOW_BYTES = 32799;

// Column-0 bitmaps of a row: it can be expanded and is collapsed, it is expanded. A leaf
// shows the grid's blank cell bitmap.
constexpr UINT IDB_VALUE_COLLAPSED = 149;
constexpr UINT IDB_VALUE_EXPANDED = 150;
