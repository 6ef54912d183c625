// Compound files come with 512-byte sectors (version 3, streams below 2 GiB) or 4096-byte
// sectors (version 4, streams of any size). A copy of a file keeps its sector size, so that
// whatever the file holds fits the copy.
#pragma once

#include <QString>

#include "ole_interfaces.h"

// Whether the compound file at path has 4096-byte sectors; false when it cannot be read.
bool HasLargeSectors(const QString& path);
// A new compound file as StgCreateDocfile makes it (name null: a temporary file), with
// 4096-byte sectors when largeSectors.
HRESULT CreateDocfile(const OLECHAR* name, DWORD mode, bool largeSectors, IStorage** storage);
