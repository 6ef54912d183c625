#include "storage_mode.h"

namespace {
constexpr DWORD kAccessMask = 0x3;
constexpr DWORD kShareMask = 0x70;
} // namespace

HRESULT CheckMode(DWORD mode, ModeUse use) {
    if ((mode & kAccessMask) == 3)
        return STG_E_INVALIDFLAG;
    const DWORD share = mode & kShareMask;
    if (share != 0 && share != STGM_SHARE_EXCLUSIVE && share != STGM_SHARE_DENY_READ &&
        share != STGM_SHARE_DENY_WRITE && share != STGM_SHARE_DENY_NONE)
        return STG_E_INVALIDFLAG;
    DWORD allowed = kAccessMask | kShareMask;
    switch (use) {
    case ModeUse::CreateStream:
        allowed |= STGM_CREATE;
        break;
    case ModeUse::OpenStream:
        break;
    case ModeUse::CreateStorage:
        allowed |= STGM_CREATE | STGM_TRANSACTED | STGM_NOSCRATCH | STGM_NOSNAPSHOT;
        break;
    case ModeUse::OpenStorage:
        allowed |= STGM_TRANSACTED | STGM_PRIORITY | STGM_NOSCRATCH | STGM_NOSNAPSHOT;
        break;
    case ModeUse::Root:
        allowed |= STGM_CREATE | STGM_TRANSACTED | STGM_PRIORITY | STGM_DELETEONRELEASE |
                   STGM_NOSCRATCH | STGM_NOSNAPSHOT | STGM_DIRECT_SWMR | STGM_SIMPLE |
                   STGM_CONVERT;
        return (mode & ~allowed) ? STG_E_INVALIDFLAG : S_OK;
    }
    if (mode & ~allowed)
        return STG_E_INVALIDFLAG;
    return share == STGM_SHARE_EXCLUSIVE ? S_OK : STG_E_INVALIDFUNCTION;
}
