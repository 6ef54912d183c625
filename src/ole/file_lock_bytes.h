// A lock-bytes over a disk file. Share modes between opens (in this process or another)
// are kept with open-file-description locks, which belong to the open file, not the process.
#pragma once

#include <string>

#include "ole_interfaces.h"

enum class FileDisposition { OpenExisting, CreateNew, CreateAlways };

HRESULT OpenFileLockBytes(const std::string& path, DWORD grfMode, FileDisposition disposition,
                          bool deleteOnRelease, ILockBytes** lockBytes);

// A new file with a unique name in the temporary folder.
HRESULT CreateTemporaryFileLockBytes(DWORD grfMode, bool deleteOnRelease, ILockBytes** lockBytes);

// The result code for a failed system call's errno.
HRESULT HresultFromErrno(int error);
