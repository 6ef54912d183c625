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

// The stream layout editor, a form on dialog 142: its controls.
constexpr UINT IDD_STREAM_VIEW = 142;
constexpr UINT IDC_STREAM_TYPE = 1016;
constexpr UINT IDC_STREAM_POINTER = 1026;
constexpr UINT IDC_STREAM_NAME = 1017;
constexpr UINT IDC_STREAM_ARRAY = 1024;
constexpr UINT IDC_STREAM_SIZE = 1025;
constexpr UINT IDC_STREAM_COMMENT = 1027;
constexpr UINT IDC_STREAM_LIST = 1019;
constexpr UINT IDC_STREAM_ADD = 1022;
constexpr UINT IDC_STREAM_INSERT = 1030;
constexpr UINT IDC_STREAM_DELETE = 1021;
constexpr UINT IDC_STREAM_NEW = 1028;
constexpr UINT IDC_STREAM_COPY = 1029;
constexpr UINT IDC_STREAM_UP = 1023;
constexpr UINT IDC_STREAM_DOWN = 1020;
