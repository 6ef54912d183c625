// The platform's structured-storage vocabulary: integer types, result codes, mode flags and
// the records that cross the COM-style face. Values are the platform's own so that code
// written against that platform reads and behaves the same here.
#pragma once

#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using ULONG = std::uint32_t;
using LONG = std::int32_t;
using ULONGLONG = std::uint64_t;
using LONGLONG = std::int64_t;
using BOOL = int;
using HRESULT = std::int32_t;
using OLECHAR = char16_t;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using SNB = LPOLESTR*;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif

// Little-endian layout, as on the platform: LowPart first.
union ULARGE_INTEGER {
    struct {
        DWORD LowPart;
        DWORD HighPart;
    } u;
    ULONGLONG QuadPart;
};
union LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
};

// 100-nanosecond intervals since 1601-01-01 UTC.
struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

struct GUID {
    DWORD Data1;
    WORD Data2;
    WORD Data3;
    BYTE Data4[8];
};
using CLSID = GUID;
using IID = GUID;
using REFCLSID = const CLSID&;
using REFIID = const IID&;
inline bool operator==(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3)
        return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i])
            return false;
    return true;
}
inline constexpr CLSID CLSID_NULL{};

struct STATSTG {
    LPOLESTR pwcsName;  // CoTaskMemAlloc'ed; the receiver frees it with CoTaskMemFree
    DWORD type;         // STGTY_*
    ULARGE_INTEGER cbSize;
    FILETIME mtime;
    FILETIME ctime;
    FILETIME atime;
    DWORD grfMode;
    DWORD grfLocksSupported;
    CLSID clsid;
    DWORD grfStateBits;
    DWORD reserved;
};

constexpr bool SUCCEEDED(HRESULT hr) { return hr >= 0; }
constexpr bool FAILED(HRESULT hr) { return hr < 0; }

// Result codes.
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_PENDING = static_cast<HRESULT>(0x8000000A);
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFF);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);

constexpr HRESULT STG_E_INVALIDFUNCTION = static_cast<HRESULT>(0x80030001);
constexpr HRESULT STG_E_FILENOTFOUND = static_cast<HRESULT>(0x80030002);
constexpr HRESULT STG_E_PATHNOTFOUND = static_cast<HRESULT>(0x80030003);
constexpr HRESULT STG_E_TOOMANYOPENFILES = static_cast<HRESULT>(0x80030004);
constexpr HRESULT STG_E_ACCESSDENIED = static_cast<HRESULT>(0x80030005);
constexpr HRESULT STG_E_INVALIDHANDLE = static_cast<HRESULT>(0x80030006);
constexpr HRESULT STG_E_INSUFFICIENTMEMORY = static_cast<HRESULT>(0x80030008);
constexpr HRESULT STG_E_INVALIDPOINTER = static_cast<HRESULT>(0x80030009);
constexpr HRESULT STG_E_NOMOREFILES = static_cast<HRESULT>(0x80030012);
constexpr HRESULT STG_E_DISKISWRITEPROTECTED = static_cast<HRESULT>(0x80030013);
constexpr HRESULT STG_E_SEEKERROR = static_cast<HRESULT>(0x80030019);
constexpr HRESULT STG_E_WRITEFAULT = static_cast<HRESULT>(0x8003001D);
constexpr HRESULT STG_E_READFAULT = static_cast<HRESULT>(0x8003001E);
constexpr HRESULT STG_E_SHAREVIOLATION = static_cast<HRESULT>(0x80030020);
constexpr HRESULT STG_E_LOCKVIOLATION = static_cast<HRESULT>(0x80030021);
constexpr HRESULT STG_E_FILEALREADYEXISTS = static_cast<HRESULT>(0x80030050);
constexpr HRESULT STG_E_INVALIDPARAMETER = static_cast<HRESULT>(0x80030057);
constexpr HRESULT STG_E_MEDIUMFULL = static_cast<HRESULT>(0x80030070);
constexpr HRESULT STG_E_ABNORMALAPIEXIT = static_cast<HRESULT>(0x800300FA);
constexpr HRESULT STG_E_INVALIDHEADER = static_cast<HRESULT>(0x800300FB);
constexpr HRESULT STG_E_INVALIDNAME = static_cast<HRESULT>(0x800300FC);
constexpr HRESULT STG_E_UNKNOWN = static_cast<HRESULT>(0x800300FD);
constexpr HRESULT STG_E_UNIMPLEMENTEDFUNCTION = static_cast<HRESULT>(0x800300FE);
constexpr HRESULT STG_E_INVALIDFLAG = static_cast<HRESULT>(0x800300FF);
constexpr HRESULT STG_E_INUSE = static_cast<HRESULT>(0x80030100);
constexpr HRESULT STG_E_NOTCURRENT = static_cast<HRESULT>(0x80030101);
constexpr HRESULT STG_E_REVERTED = static_cast<HRESULT>(0x80030102);
constexpr HRESULT STG_E_CANTSAVE = static_cast<HRESULT>(0x80030103);
constexpr HRESULT STG_E_OLDFORMAT = static_cast<HRESULT>(0x80030104);
constexpr HRESULT STG_E_OLDDLL = static_cast<HRESULT>(0x80030105);
constexpr HRESULT STG_E_SHAREREQUIRED = static_cast<HRESULT>(0x80030106);
constexpr HRESULT STG_E_NOTFILEBASEDSTORAGE = static_cast<HRESULT>(0x80030107);
constexpr HRESULT STG_E_EXTANTMARSHALLINGS = static_cast<HRESULT>(0x80030108);
constexpr HRESULT STG_E_DOCFILECORRUPT = static_cast<HRESULT>(0x80030109);
constexpr HRESULT STG_E_DOCFILETOOLARGE = static_cast<HRESULT>(0x80030111);
constexpr HRESULT STG_S_CONVERTED = static_cast<HRESULT>(0x00030200);

// Element types.
constexpr DWORD STGTY_STORAGE = 1;
constexpr DWORD STGTY_STREAM = 2;
constexpr DWORD STGTY_LOCKBYTES = 3;
constexpr DWORD STGTY_PROPERTY = 4;

// Open modes.
constexpr DWORD STGM_DIRECT = 0x00000000;
constexpr DWORD STGM_READ = 0x00000000;
constexpr DWORD STGM_WRITE = 0x00000001;
constexpr DWORD STGM_READWRITE = 0x00000002;
constexpr DWORD STGM_SHARE_DENY_NONE = 0x00000040;
constexpr DWORD STGM_SHARE_DENY_READ = 0x00000030;
constexpr DWORD STGM_SHARE_DENY_WRITE = 0x00000020;
constexpr DWORD STGM_SHARE_EXCLUSIVE = 0x00000010;
constexpr DWORD STGM_PRIORITY = 0x00040000;
constexpr DWORD STGM_CREATE = 0x00001000;
constexpr DWORD STGM_CONVERT = 0x00020000;
constexpr DWORD STGM_FAILIFTHERE = 0x00000000;
constexpr DWORD STGM_TRANSACTED = 0x00010000;
constexpr DWORD STGM_NOSCRATCH = 0x00100000;
constexpr DWORD STGM_NOSNAPSHOT = 0x00200000;
constexpr DWORD STGM_SIMPLE = 0x08000000;
constexpr DWORD STGM_DIRECT_SWMR = 0x00400000;
constexpr DWORD STGM_DELETEONRELEASE = 0x04000000;

// StgCreateStorageEx / StgOpenStorageEx formats; only the docfile is provided.
constexpr DWORD STGFMT_STORAGE = 0;
constexpr DWORD STGFMT_DOCFILE = 5;

// Commit flags.
constexpr DWORD STGC_DEFAULT = 0;
constexpr DWORD STGC_OVERWRITE = 1;
constexpr DWORD STGC_ONLYIFCURRENT = 2;
constexpr DWORD STGC_DANGEROUSLYCOMMITMERELYTODISKCACHE = 4;
constexpr DWORD STGC_CONSOLIDATE = 8;

// Stat flags.
constexpr DWORD STATFLAG_DEFAULT = 0;
constexpr DWORD STATFLAG_NONAME = 1;
constexpr DWORD STATFLAG_NOOPEN = 2;

// Seek origins.
constexpr DWORD STREAM_SEEK_SET = 0;
constexpr DWORD STREAM_SEEK_CUR = 1;
constexpr DWORD STREAM_SEEK_END = 2;

// MoveElementTo flags.
constexpr DWORD STGMOVE_MOVE = 0;
constexpr DWORD STGMOVE_COPY = 1;
constexpr DWORD STGMOVE_SHALLOWCOPY = 2;
