#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "stg_error_tables.h"

namespace {

std::vector<StgErrorMessage> MessageRows() {
    std::vector<StgErrorMessage> rows;
    for (const StgErrorMessage* row = g_stgErrorMessages; row->operation != 18; ++row)
        rows.push_back(*row);
    return rows;
}

const char* CodeName(HRESULT hr) {
    for (const StgCodeName& row : g_stgCodeNames)
        if (row.hr == hr)
            return row.name;
    return nullptr;
}

TEST(StgErrorTables, OperationTableNamesCodesOneToSeventeen) {
    const char* const names[] = {
        "QueryInterface",   "DestroyElement", "RenameElement", "Commit", "OpenStorage",
        "StgCreateDocfile", "CopyTo",         "OpenStream",    "Revert", "StgOpenStorage",
        "Release",          "EnumElements",   "Stat",          "Read",   "Seek",
        "CreateStorage",    "CreateStream"};
    int count = 0;
    for (const StgOperationName* row = g_stgOperationNames; row->operation != 18; ++row) {
        ASSERT_LT(count, 17);
        EXPECT_EQ(row->operation, count + 1);
        EXPECT_STREQ(row->name, names[count]);
        ++count;
    }
    EXPECT_EQ(count, 17);
}

TEST(StgErrorTables, MessageTableHoldsGenericRowsThenOperationRows) {
    const std::vector<StgErrorMessage> rows = MessageRows();
    ASSERT_EQ(rows.size(), 160u);
    for (std::size_t i = 0; i < 38; ++i)
        EXPECT_EQ(rows[i].operation, 0) << i;
    std::set<std::pair<int, HRESULT>> keys;
    int last = 0;
    for (std::size_t i = 38; i < rows.size(); ++i) {
        EXPECT_GE(rows[i].operation, std::max(last, 1)) << i;
        last = rows[i].operation;
    }
    for (const StgErrorMessage& row : rows) {
        EXPECT_TRUE(keys.insert({row.operation, row.hr}).second)
            << row.operation << " " << std::hex << row.hr;
        ASSERT_NE(row.message, nullptr);
        EXPECT_EQ(row.message[std::strlen(row.message) - 1], '.') << row.message;
    }
}

TEST(StgErrorTables, OperationRowsAreKeyedAsTheProgramReportsThem) {
    const std::vector<HRESULT> created = {E_PENDING,
                                          STG_E_ACCESSDENIED,
                                          STG_E_FILEALREADYEXISTS,
                                          STG_E_INSUFFICIENTMEMORY,
                                          STG_E_INVALIDFLAG,
                                          STG_E_INVALIDFUNCTION,
                                          STG_E_INVALIDNAME,
                                          STG_E_INVALIDPOINTER,
                                          STG_E_INVALIDPARAMETER,
                                          STG_E_REVERTED,
                                          STG_E_TOOMANYOPENFILES};
    const std::vector<HRESULT> opened = {E_PENDING,
                                         STG_E_ACCESSDENIED,
                                         STG_E_FILENOTFOUND,
                                         STG_E_INSUFFICIENTMEMORY,
                                         STG_E_INVALIDFLAG,
                                         STG_E_INVALIDFUNCTION,
                                         STG_E_INVALIDNAME,
                                         STG_E_INVALIDPOINTER,
                                         STG_E_INVALIDPARAMETER,
                                         STG_E_REVERTED,
                                         STG_E_TOOMANYOPENFILES};
    const std::map<int, std::vector<HRESULT>> expected = {
        {1, {E_NOINTERFACE}},
        {2,
         {E_PENDING, STG_E_FILENOTFOUND, STG_E_TOOMANYOPENFILES, STG_E_ACCESSDENIED,
          STG_E_INSUFFICIENTMEMORY, STG_E_INVALIDPOINTER, STG_E_INVALIDPARAMETER, STG_E_INVALIDNAME,
          STG_E_REVERTED}},
        {3,
         {E_PENDING, STG_E_ACCESSDENIED, STG_E_FILENOTFOUND, STG_E_FILEALREADYEXISTS,
          STG_E_INSUFFICIENTMEMORY, STG_E_INVALIDNAME, STG_E_INVALIDPOINTER, STG_E_INVALIDPARAMETER,
          STG_E_REVERTED, STG_E_TOOMANYOPENFILES}},
        {4,
         {E_PENDING, STG_E_INVALIDFLAG, STG_E_INVALIDPARAMETER, STG_E_NOTCURRENT, STG_E_MEDIUMFULL,
          STG_E_TOOMANYOPENFILES, STG_E_REVERTED}},
        {5, opened},
        {6,
         {STG_E_ACCESSDENIED, STG_E_LOCKVIOLATION, STG_E_FILEALREADYEXISTS, STG_S_CONVERTED,
          STG_E_INSUFFICIENTMEMORY, STG_E_INVALIDNAME, STG_E_INVALIDPOINTER, STG_E_INVALIDFLAG,
          STG_E_TOOMANYOPENFILES}},
        {7,
         {E_PENDING, STG_E_ACCESSDENIED, STG_E_INSUFFICIENTMEMORY, STG_E_INVALIDPOINTER,
          STG_E_INVALIDPARAMETER, STG_E_TOOMANYOPENFILES, STG_E_REVERTED, STG_E_MEDIUMFULL}},
        {8, opened},
        {9, {E_PENDING, STG_E_INSUFFICIENTMEMORY, STG_E_TOOMANYOPENFILES, STG_E_REVERTED}},
        {10,
         {STG_E_FILENOTFOUND, STG_E_ACCESSDENIED, STG_E_LOCKVIOLATION, STG_E_FILEALREADYEXISTS,
          STG_E_TOOMANYOPENFILES, STG_E_INSUFFICIENTMEMORY, STG_E_INVALIDNAME, STG_E_INVALIDPOINTER,
          STG_E_INVALIDFLAG, STG_E_INVALIDFUNCTION, STG_E_OLDFORMAT, STG_E_OLDDLL,
          STG_E_PATHNOTFOUND}},
        {12, {E_PENDING, STG_E_INSUFFICIENTMEMORY, STG_E_INVALIDPARAMETER, STG_E_REVERTED}},
        {13,
         {E_PENDING, STG_E_ACCESSDENIED, STG_E_INSUFFICIENTMEMORY, STG_E_INVALIDFLAG,
          STG_E_INVALIDPARAMETER}},
        {14, {E_PENDING, STG_E_ACCESSDENIED, STG_E_INVALIDPOINTER, STG_E_REVERTED}},
        {15, {E_PENDING, STG_E_INVALIDPOINTER, STG_E_INVALIDFUNCTION, STG_E_REVERTED}},
        {16, created},
        {17, created},
    };
    std::map<int, std::vector<HRESULT>> actual;
    for (const StgErrorMessage& row : MessageRows())
        if (row.operation != 0)
            actual[row.operation].push_back(row.hr);
    EXPECT_EQ(actual, expected);
    std::size_t operationRows = 0;
    for (const auto& [operation, codes] : actual)
        operationRows += codes.size();
    EXPECT_EQ(operationRows, 122u);
}

TEST(StgErrorTables, OperationSentencesUseTheFullWidthApostrophe) {
    int withApostrophe = 0;
    for (const StgErrorMessage& row : MessageRows()) {
        if (row.operation == 0)
            continue;
        const std::string text = row.message;
        EXPECT_EQ(text.find('\''), std::string::npos) << text;
        if (text.find("\u2019s ") != std::string::npos)
            ++withApostrophe;
    }
    EXPECT_GT(withApostrophe, 0);
}

TEST(StgErrorTables, CodeNameTableHasUniqueNamesAndCodes) {
    EXPECT_EQ(g_stgCodeNames.size(), 243u);
    std::set<HRESULT> codes;
    std::set<std::string> names;
    for (const StgCodeName& row : g_stgCodeNames) {
        EXPECT_TRUE(codes.insert(row.hr).second) << row.name;
        EXPECT_TRUE(names.insert(row.name).second) << row.name;
    }
}

TEST(StgErrorTables, CodeNamesCarryThePlatformValues) {
    const std::pair<std::uint32_t, const char*> samples[] = {{0x00000000, "S_OK"},
                                                             {0x0004018F, "OLEOBJ_S_LAST"},
                                                             {0x00030200, "STG_S_CONVERTED"},
                                                             {0x8000FFFF, "E_UNEXPECTED"},
                                                             {0x80004005, "E_FAIL"},
                                                             {0x80070006, "E_HANDLE"},
                                                             {0x80080007, "MK_E_NO_NORMALIZED"},
                                                             {0x8001FFFF, "RPC_E_UNEXPECTED"},
                                                             {0x80029C4A, "TYPE_E_CANTLOADLIBRARY"},
                                                             {0x80040140, "VIEW_E_DRAW"},
                                                             {0x800300FF, "STG_E_INVALIDFLAG"}};
    for (const auto& [code, name] : samples)
        EXPECT_STREQ(CodeName(Scode(code)), name) << std::hex << code;

    // The engine's own codes read the same as the table.
    EXPECT_STREQ(CodeName(STG_E_ACCESSDENIED), "STG_E_ACCESSDENIED");
    EXPECT_STREQ(CodeName(STG_E_INVALIDHEADER), "STG_E_INVALIDHEADER");
    EXPECT_STREQ(CodeName(E_OUTOFMEMORY), "E_OUTOFMEMORY");
}

TEST(StgErrorTables, SomeCodesHaveSentencesButNoName) {
    const std::uint32_t unnamed[] = {0x8000000A, 0x800300F0, 0x80030109,
                                     0x80030110, 0x80030201, 0x80030202};
    for (std::uint32_t code : unnamed) {
        EXPECT_EQ(CodeName(Scode(code)), nullptr) << std::hex << code;
        bool hasSentence = false;
        for (const StgErrorMessage& row : MessageRows())
            hasSentence = hasSentence || row.hr == Scode(code);
        EXPECT_TRUE(hasSentence) << std::hex << code;
    }
    // Every other code with a sentence is named.
    for (const StgErrorMessage& row : MessageRows()) {
        if (std::find(std::begin(unnamed), std::end(unnamed), static_cast<std::uint32_t>(row.hr)) ==
            std::end(unnamed)) {
            EXPECT_NE(CodeName(row.hr), nullptr) << std::hex << row.hr;
        }
    }
}

} // namespace
