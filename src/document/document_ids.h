// The commands that the compound-file document carries out.
#pragma once

#include "framework_ids.h"

constexpr UINT ID_PAGE_FIRST = 32771;
constexpr UINT ID_PAGE_PREV = 32772;
constexpr UINT ID_PAGE_NEXT = 32773;
constexpr UINT ID_PAGE_LAST = 32774;
constexpr UINT ID_ELEMENT_DELETE = 32775;
constexpr UINT ID_BYTE_EDIT = 32778;
constexpr UINT ID_VIEW_LARGEICON = 32781;
constexpr UINT ID_VIEW_SMALLICON = 32782;
constexpr UINT ID_VIEW_DETAILS = 32783;
constexpr UINT ID_NEW_STORAGE = 32787;
constexpr UINT ID_NEW_STREAM = 32788;
constexpr UINT ID_STREAM_RESIZE = 32789;
// Our own: the page holding a position typed in, with that byte current.
constexpr UINT ID_GOTO_POSITION = 32798;
constexpr UINT ID_STRMDEF_OPEN = 32784;
constexpr UINT ID_VALUE_DECIMAL = 32791;
constexpr UINT ID_VALUE_HEX = 32792;
// The typed value view's columns, in the order of their commands (not of the columns).
constexpr UINT ID_COLUMN_DEFINITION = 32793;
constexpr UINT ID_COLUMN_NAME = 32794;
constexpr UINT ID_COLUMN_VALUE = 32795;
constexpr UINT ID_COLUMN_POSITION = 32796;
constexpr UINT ID_COLUMN_COMMENT = 32797;

// The toolbar's combo box of recently loaded stream definitions.
constexpr UINT IDC_STRMDEF_COMBO = 136;
// The title and filter of the file dialog that chooses a stream definition.
constexpr UINT IDS_STRMDEF_OPEN_TITLE = 132;
constexpr UINT IDS_STRMDEF_FILTER = 133;
