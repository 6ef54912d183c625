// Element names: what a valid name is, and the one order the format defines for them.
// Two names are the same element when that order finds them equal, i.e. when they have the
// same length and match after upper-casing each UTF-16 unit (Unicode simple case mapping).
#pragma once

#include <string>
#include <string_view>

#include "ole_interfaces.h"

// Checks a caller's name: STG_E_INVALIDPOINTER for null, STG_E_INVALIDNAME for an empty name,
// one over 31 units, or one holding / \ : or !. On success the name is copied to out.
HRESULT ValidateElementName(const OLECHAR* name, std::u16string* out);

char16_t UpperCaseNonAscii(char16_t unit);
inline char16_t UpperCaseUnit(char16_t unit) {
    if (unit < 0x80)
        return unit >= u'a' && unit <= u'z' ? static_cast<char16_t>(unit - 0x20) : unit;
    return UpperCaseNonAscii(unit);
}

// Shorter name first, then unit by unit after upper-casing. Negative, zero or positive.
int CompareElementNames(std::u16string_view a, std::u16string_view b);

struct ElementNameLess {
    using is_transparent = void;
    bool operator()(std::u16string_view a, std::u16string_view b) const {
        return CompareElementNames(a, b) < 0;
    }
};
