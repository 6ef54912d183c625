#include "element_stat.h"

#include "storage_api.h"

LPOLESTR CopyToTaskMemory(std::u16string_view text) {
    auto* copy = static_cast<LPOLESTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(OLECHAR)));
    if (copy) {
        text.copy(copy, text.size());
        copy[text.size()] = 0;
    }
    return copy;
}

HRESULT FillElementStat(const ElementNode& node, DWORD mode, DWORD grfStatFlag, STATSTG* out) {
    if (!out)
        return STG_E_INVALIDPOINTER;
    if (grfStatFlag & ~(STATFLAG_NONAME | STATFLAG_NOOPEN))
        return STG_E_INVALIDFLAG;
    *out = STATSTG{};
    out->type = node.type;
    out->grfMode = mode;
    out->clsid = node.clsid;
    out->grfStateBits = node.stateBits;
    if (node.IsStorage()) {
        out->ctime = node.ctime;
        out->mtime = node.mtime;
    } else {
        out->cbSize.QuadPart = node.content ? node.content->Size() : 0;
    }
    if (!(grfStatFlag & STATFLAG_NONAME)) {
        out->pwcsName = CopyToTaskMemory(node.name);
        if (!out->pwcsName)
            return STG_E_INSUFFICIENTMEMORY;
    }
    return S_OK;
}
