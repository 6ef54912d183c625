#include "element_name.h"

#include <unicode/uchar.h>

#include "cfb_format.h"
#include "utf16.h"

HRESULT ValidateElementName(const OLECHAR* name, std::u16string* out) {
    if (!name)
        return STG_E_INVALIDPOINTER;
    const std::size_t length = BoundedLength(name, cfb::kMaxNameUnits);
    if (length == 0 || length > cfb::kMaxNameUnits)
        return STG_E_INVALIDNAME;
    for (std::size_t i = 0; i < length; ++i) {
        const char16_t c = name[i];
        if (c == u'/' || c == u'\\' || c == u':' || c == u'!')
            return STG_E_INVALIDNAME;
    }
    out->assign(name, length);
    return S_OK;
}

char16_t UpperCaseNonAscii(char16_t unit) {
    const UChar32 upper = u_toupper(unit);
    return upper <= 0xFFFF ? static_cast<char16_t>(upper) : unit;
}

int CompareElementNames(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i] == b[i])
            continue;
        const char16_t x = UpperCaseUnit(a[i]), y = UpperCaseUnit(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}
