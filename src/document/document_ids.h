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
constexpr UINT ID_VALUE_DECIMAL = 32791;
constexpr UINT ID_VALUE_HEX = 32792;
