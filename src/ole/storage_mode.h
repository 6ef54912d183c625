// Checks of the STGM_* modes that callers pass when they open or create elements and files.
#pragma once

#include "ole_types.h"

enum class ModeUse { OpenStream, CreateStream, OpenStorage, CreateStorage, Root };

// STG_E_INVALIDFLAG for bits that have no meaning for the use (or an access value of 3);
// STG_E_INVALIDFUNCTION when an element is asked for without STGM_SHARE_EXCLUSIVE.
HRESULT CheckMode(DWORD mode, ModeUse use);

inline bool ModeWrites(DWORD mode) { return (mode & 3) != STGM_READ; }
