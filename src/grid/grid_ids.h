// The resources the grid views ask for by id.
#pragma once

#include "framework_ids.h"

// The context menu of the hex page: copy, paste, resize and paging.
constexpr UINT IDR_PAGE_CONTEXT = 154;
