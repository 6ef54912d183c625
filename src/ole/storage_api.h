// The free functions of structured storage: opening and creating compound files on disk
// and in memory, task-memory for names handed out in STATSTG, and the global-memory block
// that carries a compound file through the clipboard.
#pragma once

#include <cstddef>

#include "ole_interfaces.h"

using UINT = unsigned int;
using SIZE_T = std::size_t;
using HGLOBAL = struct GlobalBlock*;

// Task memory: names in STATSTG are allocated here and freed by the receiver.
void* CoTaskMemAlloc(SIZE_T cb);
void CoTaskMemFree(void* pv);

// Global memory: a growable block. The flags are accepted for their meaning on the platform;
// GMEM_ZEROINIT clears the block, the others change nothing here.
constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GMEM_DISCARDABLE = 0x0100;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes);
HGLOBAL GlobalReAlloc(HGLOBAL hMem, SIZE_T dwBytes, UINT uFlags);
SIZE_T GlobalSize(HGLOBAL hMem);
void* GlobalLock(HGLOBAL hMem);
BOOL GlobalUnlock(HGLOBAL hMem);
HGLOBAL GlobalFree(HGLOBAL hMem);  // null on success, as on the platform

HRESULT CreateILockBytesOnHGlobal(HGLOBAL hGlobal, BOOL fDeleteOnRelease, ILockBytes** pplkbyt);
HRESULT GetHGlobalFromILockBytes(ILockBytes* plkbyt, HGLOBAL* phglobal);

// A lock-bytes over a disk file, as StgOpenStorage and StgCreateDocfile use it. Exposed so
// that tools and tests can stack their own lock-bytes on top of a real file.
HRESULT CreateILockBytesOnFile(const OLECHAR* pwcsName, DWORD grfMode, ILockBytes** pplkbyt);

HRESULT StgCreateDocfile(const OLECHAR* pwcsName, DWORD grfMode, DWORD reserved,
                         IStorage** ppstgOpen);
HRESULT StgOpenStorage(const OLECHAR* pwcsName, IStorage* pstgPriority, DWORD grfMode,
                       SNB snbExclude, DWORD reserved, IStorage** ppstgOpen);
HRESULT StgIsStorageFile(const OLECHAR* pwcsName);
HRESULT StgCreateDocfileOnILockBytes(ILockBytes* plkbyt, DWORD grfMode, DWORD reserved,
                                     IStorage** ppstgOpen);
HRESULT StgOpenStorageOnILockBytes(ILockBytes* plkbyt, IStorage* pstgPriority, DWORD grfMode,
                                   SNB snbExclude, DWORD reserved, IStorage** ppstgOpen);
HRESULT StgIsStorageILockBytes(ILockBytes* plkbyt);

// Version-4 files (4096-byte sectors) are asked for as on the platform: StgCreateStorageEx
// with STGFMT_DOCFILE and options whose usVersion is 1 and ulSectorSize 4096.
struct STGOPTIONS {
    unsigned short usVersion;
    unsigned short reserved;
    ULONG ulSectorSize;
    const OLECHAR* pwcsTemplateFile;
};
HRESULT StgCreateStorageEx(const OLECHAR* pwcsName, DWORD grfMode, DWORD stgfmt, DWORD grfAttrs,
                           STGOPTIONS* pStgOptions, void* pSecurityDescriptor, REFIID riid,
                           void** ppObjectOpen);
