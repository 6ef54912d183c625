// The resources the storage tree asks for by id.
#pragma once

#include "framework_ids.h"

// The context menu: its first popup holds the element commands.
constexpr UINT IDR_CONTEXT = 155;
