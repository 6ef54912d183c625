// The error tables behind ReportStgError: each (operation, code) has one sentence, operation
// sentences write the apostrophe full-width, and codes carry the platform's names and values.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <utility>

#include "stg_error_tables.h"

namespace {

const char* CodeName(HRESULT hr) {
    for (const StgCodeName& row : g_stgCodeNames)
        if (row.hr == hr)
            return row.name;
    return nullptr;
}

TEST(StgErrorTables, OneSentenceForEachOperationAndCode) {
    std::set<std::pair<int, HRESULT>> keys;
    int rows = 0;
    for (const StgErrorMessage* row = g_stgErrorMessages; row->operation != 18; ++row, ++rows) {
        EXPECT_TRUE(keys.insert({row->operation, row->hr}).second)
            << row->operation << " " << std::hex << row->hr;
        const std::string text = row->message;
        EXPECT_EQ(text.back(), '.') << text;
        if (row->operation != 0) {
            EXPECT_EQ(text.find('\''), std::string::npos) << text;
        }
    }
    EXPECT_EQ(rows, 160);
}

TEST(StgErrorTables, CodesCarryThePlatformNamesAndValues) {
    std::set<HRESULT> codes;
    std::set<std::string> names;
    for (const StgCodeName& row : g_stgCodeNames) {
        EXPECT_TRUE(codes.insert(row.hr).second) << row.name;
        EXPECT_TRUE(names.insert(row.name).second) << row.name;
    }
    const std::pair<std::uint32_t, const char*> samples[] = {
        {0x00000000, "S_OK"},
        {0x0004018F, "OLEOBJ_S_LAST"},
        {0x00030200, "STG_S_CONVERTED"},
        {0x8000FFFF, "E_UNEXPECTED"},
        {0x80070006, "E_HANDLE"},
        {0x80029C4A, "TYPE_E_CANTLOADLIBRARY"},
        {0x800300FF, "STG_E_INVALIDFLAG"},
        {0x80030005, "STG_E_ACCESSDENIED"},
        {0x800300FB, "STG_E_INVALIDHEADER"},
        {0x8007000E, "E_OUTOFMEMORY"},
        // Codes with sentences of their own but no name on the platform.
        {0x80030109, nullptr},
        {0x80030201, nullptr}};
    for (const auto& [code, name] : samples) {
        if (name) {
            EXPECT_STREQ(CodeName(Scode(code)), name) << std::hex << code;
        } else {
            EXPECT_EQ(CodeName(Scode(code)), nullptr) << std::hex << code;
        }
    }
}

} // namespace
