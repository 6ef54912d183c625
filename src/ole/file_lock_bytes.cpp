#include "file_lock_bytes.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

#include "com_object.h"
#include "storage_api.h"
#include "utf16.h"

namespace {

// Lock bytes sit in the range the platform reserves for the same purpose, beyond any data
// a file below 2 GiB holds; OFD locks there are advisory and never block reads or writes.
constexpr off_t kAccessRead = 0x7FFFFF00;
constexpr off_t kAccessWrite = kAccessRead + 1;
constexpr off_t kDenyRead = kAccessRead + 2;
constexpr off_t kDenyWrite = kAccessRead + 3;

struct ShareMode {
    bool read = false, write = false, denyRead = false, denyWrite = false;
};

ShareMode ShareModeOf(DWORD grfMode) {
    ShareMode m;
    const DWORD access = grfMode & 3;
    m.read = access != STGM_WRITE;
    m.write = access != STGM_READ;
    switch (grfMode & 0x70) {
    case STGM_SHARE_EXCLUSIVE:
        m.denyRead = m.denyWrite = true;
        break;
    case STGM_SHARE_DENY_READ:
        m.denyRead = true;
        break;
    case STGM_SHARE_DENY_WRITE:
        m.denyWrite = true;
        break;
    default:
        break;
    }
    return m;
}

// True when another open file description holds any lock on the byte.
bool OthersHold(int fd, off_t byte) {
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    probe.l_start = byte;
    probe.l_len = 1;
    if (fcntl(fd, F_OFD_GETLK, &probe) != 0)
        return false;
    return probe.l_type != F_UNLCK;
}

bool HoldShared(int fd, off_t byte) {
    struct flock lock {};
    lock.l_type = F_RDLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = byte;
    lock.l_len = 1;
    return fcntl(fd, F_OFD_SETLK, &lock) == 0;
}

HRESULT AcquireShareMode(int fd, DWORD grfMode) {
    const ShareMode m = ShareModeOf(grfMode);
    if ((m.read && OthersHold(fd, kDenyRead)) || (m.write && OthersHold(fd, kDenyWrite)) ||
        (m.denyRead && OthersHold(fd, kAccessRead)) ||
        (m.denyWrite && OthersHold(fd, kAccessWrite)))
        return STG_E_LOCKVIOLATION;
    const std::pair<bool, off_t> wanted[] = {{m.read, kAccessRead},
                                             {m.write, kAccessWrite},
                                             {m.denyRead, kDenyRead},
                                             {m.denyWrite, kDenyWrite}};
    for (const auto& [want, byte] : wanted)
        if (want && !HoldShared(fd, byte))
            return STG_E_LOCKVIOLATION;
    return S_OK;
}

class FileLockBytes final : public ComObject<ILockBytes> {
public:
    FileLockBytes(int fd, std::string path, bool deleteOnRelease)
        : m_fd(fd), m_path(std::move(path)), m_deleteOnRelease(deleteOnRelease) {}

    HRESULT QueryInterface(REFIID riid, void** ppv) override {
        return AnswerInterface(riid, ppv, {IID_ILockBytes});
    }

    HRESULT ReadAt(ULARGE_INTEGER ulOffset, void* pv, ULONG cb, ULONG* pcbRead) override {
        if (!pv && cb)
            return STG_E_INVALIDPOINTER;
        ULONG done = 0;
        while (done < cb) {
            const ssize_t n = pread(m_fd, static_cast<char*>(pv) + done, cb - done,
                                    static_cast<off_t>(ulOffset.QuadPart + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                if (pcbRead)
                    *pcbRead = done;
                return STG_E_READFAULT;
            }
            if (n == 0)
                break;
            done += static_cast<ULONG>(n);
        }
        if (pcbRead)
            *pcbRead = done;
        return S_OK;
    }

    HRESULT WriteAt(ULARGE_INTEGER ulOffset, const void* pv, ULONG cb,
                    ULONG* pcbWritten) override {
        if (!pv && cb)
            return STG_E_INVALIDPOINTER;
        ULONG done = 0;
        HRESULT hr = S_OK;
        while (done < cb) {
            const ssize_t n = pwrite(m_fd, static_cast<const char*>(pv) + done, cb - done,
                                     static_cast<off_t>(ulOffset.QuadPart + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                hr = n < 0 && (errno == ENOSPC || errno == EDQUOT || errno == EFBIG)
                         ? STG_E_MEDIUMFULL
                         : STG_E_WRITEFAULT;
                break;
            }
            done += static_cast<ULONG>(n);
        }
        // A big write starts on its way to the disk now, so that the flush of a commit that
        // follows gigabytes of them waits for the tail only, not for all of it.
        if (SUCCEEDED(hr) && done >= kStartWritebackAt)
            sync_file_range(m_fd, static_cast<off_t>(ulOffset.QuadPart), done,
                            SYNC_FILE_RANGE_WRITE);
        if (pcbWritten)
            *pcbWritten = done;
        return hr;
    }

    HRESULT Flush() override {
        while (fdatasync(m_fd) != 0) {
            if (errno != EINTR)
                return errno == ENOSPC ? STG_E_MEDIUMFULL : STG_E_WRITEFAULT;
        }
        return S_OK;
    }

    HRESULT SetSize(ULARGE_INTEGER cb) override {
        if (ftruncate(m_fd, static_cast<off_t>(cb.QuadPart)) != 0)
            return errno == ENOSPC || errno == EFBIG ? STG_E_MEDIUMFULL : STG_E_WRITEFAULT;
        return S_OK;
    }

    HRESULT LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }

    HRESULT Stat(STATSTG* pstatstg, DWORD grfStatFlag) override {
        if (!pstatstg)
            return STG_E_INVALIDPOINTER;
        *pstatstg = STATSTG{};
        struct stat st {};
        if (fstat(m_fd, &st) != 0)
            return STG_E_ACCESSDENIED;
        pstatstg->type = STGTY_LOCKBYTES;
        pstatstg->cbSize.QuadPart = static_cast<ULONGLONG>(st.st_size);
        if (!(grfStatFlag & STATFLAG_NONAME)) {
            const auto name = Utf8ToUtf16(m_path).value_or(std::u16string());
            auto* copy = static_cast<OLECHAR*>(CoTaskMemAlloc((name.size() + 1) * 2));
            if (!copy)
                return STG_E_INSUFFICIENTMEMORY;
            std::char_traits<char16_t>::copy(copy, name.c_str(), name.size() + 1);
            pstatstg->pwcsName = copy;
        }
        return S_OK;
    }

private:
    static constexpr ULONG kStartWritebackAt = 1u << 20;

    ~FileLockBytes() override {
        if (m_deleteOnRelease)
            unlink(m_path.c_str());
        close(m_fd);
    }

    int m_fd;
    std::string m_path;
    bool m_deleteOnRelease;
};

HRESULT Wrap(int fd, std::string path, DWORD grfMode, bool deleteOnRelease,
             ILockBytes** lockBytes) {
    const HRESULT hr = AcquireShareMode(fd, grfMode);
    if (FAILED(hr)) {
        close(fd);
        return hr;
    }
    auto* wrapped = new (std::nothrow) FileLockBytes(fd, std::move(path), deleteOnRelease);
    if (!wrapped) {
        close(fd);
        return E_OUTOFMEMORY;
    }
    *lockBytes = wrapped;
    return S_OK;
}

} // namespace

HRESULT HresultFromErrno(int error) {
    switch (error) {
    case ENOENT:
        return STG_E_FILENOTFOUND;
    case ENOTDIR:
    case ENAMETOOLONG:
        return STG_E_PATHNOTFOUND;
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR:
    case ETXTBSY:
        return STG_E_ACCESSDENIED;
    case EEXIST:
        return STG_E_FILEALREADYEXISTS;
    case EMFILE:
    case ENFILE:
        return STG_E_TOOMANYOPENFILES;
    case ENOMEM:
        return STG_E_INSUFFICIENTMEMORY;
    case ENOSPC:
    case EDQUOT:
        return STG_E_MEDIUMFULL;
    default:
        return STG_E_UNKNOWN;
    }
}

HRESULT OpenFileLockBytes(const std::string& path, DWORD grfMode, FileDisposition disposition,
                          bool deleteOnRelease, ILockBytes** lockBytes) {
    *lockBytes = nullptr;
    int flags = O_CLOEXEC | ((grfMode & 3) == STGM_READ ? O_RDONLY : O_RDWR);
    if (disposition == FileDisposition::CreateNew)
        flags |= O_CREAT | O_EXCL;
    else if (disposition == FileDisposition::CreateAlways)
        flags |= O_CREAT;
    int fd = open(path.c_str(), flags, 0666);
    if (fd < 0)
        return HresultFromErrno(errno);
    struct stat st {};
    // A file nobody may write is read-only even to the superuser, as a read-only file is on
    // the platform: editors then fall back to a private copy instead of writing over it.
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode) ||
        ((flags & O_RDWR) && (st.st_mode & 0222) == 0)) {
        close(fd);
        return STG_E_ACCESSDENIED;
    }
    const HRESULT hr = Wrap(fd, path, grfMode, deleteOnRelease, lockBytes);
    // Replacing a file empties it only once the share mode says nobody else is using it.
    if (SUCCEEDED(hr) && disposition == FileDisposition::CreateAlways &&
        ftruncate(fd, 0) != 0) {
        (*lockBytes)->Release();
        *lockBytes = nullptr;
        return HresultFromErrno(errno);
    }
    return hr;
}

HRESULT CreateTemporaryFileLockBytes(DWORD grfMode, bool deleteOnRelease, ILockBytes** lockBytes) {
    *lockBytes = nullptr;
    const char* dir = std::getenv("TMPDIR");
    std::string path = std::string(dir && *dir ? dir : "/tmp") + "/kestrin-XXXXXX";
    int fd = mkostemp(path.data(), O_CLOEXEC);
    if (fd < 0)
        return HresultFromErrno(errno);
    // A file that goes with its release goes at once: the descriptor keeps it alive, and no
    // way the program ends can leave it behind.
    if (deleteOnRelease)
        unlink(path.c_str());
    const HRESULT hr = Wrap(fd, path, grfMode, false, lockBytes);
    if (FAILED(hr) && !deleteOnRelease)
        unlink(path.c_str());
    return hr;
}
