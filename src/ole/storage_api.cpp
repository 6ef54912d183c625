// The free functions: files and memory blocks opened or created as compound files.
#include "storage_api.h"

#include <cstring>

#include "cfb_format.h"
#include "file_image.h"
#include "file_lock_bytes.h"
#include "storage_mode.h"
#include "storage_object.h"
#include "utf16.h"

namespace {

// Releases an interface when it goes out of scope.
template <class T> struct Held {
    T* p = nullptr;
    ~Held() {
        if (p)
            p->Release();
    }
};

HRESULT PathOf(const OLECHAR* name, std::string* path) {
    if (!name || !*name)
        return STG_E_INVALIDNAME;
    auto converted = Utf16ToUtf8(std::u16string_view(name));
    if (!converted)
        return STG_E_INVALIDNAME;
    *path = std::move(*converted);
    return S_OK;
}

HRESULT CreateOn(ILockBytes* bytes, DWORD grfMode, unsigned majorVersion, IStorage** root) {
    std::shared_ptr<FileImage> image;
    HRESULT hr = FileImage::Create(bytes, majorVersion, &image);
    if (SUCCEEDED(hr))
        hr = StorageObject::OpenRoot(std::move(image), grfMode, root);
    return hr;
}

HRESULT OpenOn(ILockBytes* bytes, DWORD grfMode, IStorage** root) {
    std::shared_ptr<FileImage> image;
    HRESULT hr = FileImage::Open(bytes, &image);
    if (SUCCEEDED(hr))
        hr = StorageObject::OpenRoot(std::move(image), grfMode, root);
    return hr;
}

HRESULT CreateFile(const OLECHAR* pwcsName, DWORD grfMode, unsigned majorVersion,
                   IStorage** ppstgOpen) {
    if (!ppstgOpen)
        return STG_E_INVALIDPOINTER;
    *ppstgOpen = nullptr;
    HRESULT hr = CheckMode(grfMode, ModeUse::Root);
    if (FAILED(hr))
        return hr;
    if (!ModeWrites(grfMode) || (grfMode & STGM_CONVERT))
        return STG_E_INVALIDFLAG;
    Held<ILockBytes> bytes;
    const bool deleteOnRelease = grfMode & STGM_DELETEONRELEASE;
    if (!pwcsName) {
        hr = CreateTemporaryFileLockBytes(grfMode, deleteOnRelease, &bytes.p);
    } else {
        std::string path;
        hr = PathOf(pwcsName, &path);
        if (SUCCEEDED(hr))
            hr = OpenFileLockBytes(path, grfMode,
                                   (grfMode & STGM_CREATE) ? FileDisposition::CreateAlways
                                                           : FileDisposition::CreateNew,
                                   deleteOnRelease, &bytes.p);
    }
    if (FAILED(hr))
        return hr;
    return CreateOn(bytes.p, grfMode, majorVersion, ppstgOpen);
}

} // namespace

HRESULT CreateILockBytesOnFile(const OLECHAR* pwcsName, DWORD grfMode, ILockBytes** pplkbyt) {
    if (!pplkbyt)
        return STG_E_INVALIDPOINTER;
    *pplkbyt = nullptr;
    std::string path;
    HRESULT hr = PathOf(pwcsName, &path);
    if (FAILED(hr))
        return hr;
    return OpenFileLockBytes(path, grfMode,
                             (grfMode & STGM_CREATE) ? FileDisposition::CreateAlways
                                                     : FileDisposition::OpenExisting,
                             false, pplkbyt);
}

HRESULT StgCreateDocfile(const OLECHAR* pwcsName, DWORD grfMode, DWORD, IStorage** ppstgOpen) {
    return CreateFile(pwcsName, grfMode, 3, ppstgOpen);
}

HRESULT StgCreateStorageEx(const OLECHAR* pwcsName, DWORD grfMode, DWORD stgfmt, DWORD,
                           STGOPTIONS* pStgOptions, void*, REFIID riid, void** ppObjectOpen) {
    if (!ppObjectOpen)
        return STG_E_INVALIDPOINTER;
    *ppObjectOpen = nullptr;
    if (!(riid == IID_IStorage))
        return E_NOINTERFACE;
    if (stgfmt != STGFMT_DOCFILE && stgfmt != STGFMT_STORAGE)
        return STG_E_INVALIDPARAMETER;
    unsigned major = 3;
    if (pStgOptions) {
        if (pStgOptions->ulSectorSize == 4096)
            major = 4;
        else if (pStgOptions->ulSectorSize != 512 && pStgOptions->ulSectorSize != 0)
            return STG_E_INVALIDPARAMETER;
    }
    return CreateFile(pwcsName, grfMode, major, reinterpret_cast<IStorage**>(ppObjectOpen));
}

HRESULT StgOpenStorage(const OLECHAR* pwcsName, IStorage*, DWORD grfMode, SNB snbExclude,
                       DWORD, IStorage** ppstgOpen) {
    if (!ppstgOpen)
        return STG_E_INVALIDPOINTER;
    *ppstgOpen = nullptr;
    HRESULT hr = CheckMode(grfMode, ModeUse::Root);
    if (FAILED(hr))
        return hr;
    if (grfMode & (STGM_CREATE | STGM_CONVERT | STGM_DELETEONRELEASE))
        return STG_E_INVALIDFLAG;
    if (snbExclude)
        return STG_E_INVALIDPARAMETER;
    std::string path;
    hr = PathOf(pwcsName, &path);
    if (FAILED(hr))
        return hr;
    Held<ILockBytes> bytes;
    hr = OpenFileLockBytes(path, grfMode, FileDisposition::OpenExisting, false, &bytes.p);
    if (FAILED(hr))
        return hr;
    return OpenOn(bytes.p, grfMode, ppstgOpen);
}

HRESULT StgIsStorageILockBytes(ILockBytes* plkbyt) {
    if (!plkbyt)
        return STG_E_INVALIDPOINTER;
    std::uint8_t signature[sizeof cfb::kSignature];
    ULONG got = 0;
    HRESULT hr = plkbyt->ReadAt(ULARGE_INTEGER{.QuadPart = 0}, signature, sizeof signature, &got);
    if (FAILED(hr))
        return hr;
    return got == sizeof signature && std::memcmp(signature, cfb::kSignature, got) == 0
               ? S_OK
               : S_FALSE;
}

HRESULT StgIsStorageFile(const OLECHAR* pwcsName) {
    Held<ILockBytes> bytes;
    HRESULT hr = CreateILockBytesOnFile(pwcsName, STGM_READ | STGM_SHARE_DENY_NONE, &bytes.p);
    if (FAILED(hr))
        return hr;
    return StgIsStorageILockBytes(bytes.p);
}

HRESULT StgCreateDocfileOnILockBytes(ILockBytes* plkbyt, DWORD grfMode, DWORD,
                                     IStorage** ppstgOpen) {
    if (!ppstgOpen || !plkbyt)
        return STG_E_INVALIDPOINTER;
    *ppstgOpen = nullptr;
    HRESULT hr = CheckMode(grfMode, ModeUse::Root);
    if (FAILED(hr))
        return hr;
    if (!ModeWrites(grfMode))
        return STG_E_INVALIDFLAG;
    if (!(grfMode & STGM_CREATE)) {
        STATSTG st{};
        hr = plkbyt->Stat(&st, STATFLAG_NONAME);
        if (FAILED(hr))
            return hr;
        if (st.cbSize.QuadPart != 0)
            return STG_E_FILEALREADYEXISTS;
    }
    return CreateOn(plkbyt, grfMode, 3, ppstgOpen);
}

HRESULT StgOpenStorageOnILockBytes(ILockBytes* plkbyt, IStorage*, DWORD grfMode, SNB snbExclude,
                                   DWORD, IStorage** ppstgOpen) {
    if (!ppstgOpen || !plkbyt)
        return STG_E_INVALIDPOINTER;
    *ppstgOpen = nullptr;
    HRESULT hr = CheckMode(grfMode, ModeUse::Root);
    if (FAILED(hr))
        return hr;
    if (snbExclude)
        return STG_E_INVALIDPARAMETER;
    return OpenOn(plkbyt, grfMode, ppstgOpen);
}
