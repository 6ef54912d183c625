// The resources the storage tree asks for by id.
#pragma once

#include "framework_ids.h"

// The context menu: its first popup holds the element commands.
constexpr UINT IDR_CONTEXT = 155;

// Importing a file as a stream and exporting a stream to a file.
constexpr UINT ID_STREAM_IMPORT = 32806;
constexpr UINT ID_STREAM_EXPORT = 32807;
