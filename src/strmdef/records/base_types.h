// The 19 base types every stream definition starts with. Their ids are their indexes here and
// in every type list; files name them by id only, so neither order nor names may change.
#pragma once

#include <array>

struct BaseType {
    const char* name;
    int size; // bytes
};

inline constexpr std::array<BaseType, 19> kBaseTypes{{
    {"int", 4},
    {"unsigned int", 4},
    {"long", 4},
    {"unsigned long", 4},
    {"float", 4},
    {"double", 8},
    {"long double", 8}, // the platform's long double is
                        // its double
    {"char", 1},
    {"unsigned char", 1},
    {"short", 2},
    {"unsigned short", 2},
    {"__int8", 1},
    {"unsigned __int8", 1},
    {"__int16", 2},
    {"unsigned __int16", 2},
    {"__int32", 4},
    {"unsigned __int32", 4},
    {"__int64", 8},
    {"unsigned __int64", 8},
}};

inline constexpr int kBaseTypeCount = static_cast<int>(kBaseTypes.size());
