// The commands that the compound-file document carries out.
#pragma once

#include "framework_ids.h"

constexpr UINT ID_ELEMENT_DELETE = 32775;
constexpr UINT ID_NEW_STORAGE = 32787;
constexpr UINT ID_NEW_STREAM = 32788;
constexpr UINT ID_VALUE_DECIMAL = 32791;
constexpr UINT ID_VALUE_HEX = 32792;
