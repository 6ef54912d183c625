#include <gtest/gtest.h>

#include "recording_presenter.h"
#include "report_stg_error.h"

namespace {

QString Report(HRESULT hr, int operation) {
    RecordingPresenter boxes;
    EXPECT_EQ(ReportStgError(hr, operation), 1);
    EXPECT_EQ(boxes.texts.size(), 1);
    EXPECT_EQ(boxes.types, std::vector<unsigned>{MB_OK});
    return boxes.texts.value(0);
}

TEST(ReportStgError, NamesCodeAndCallAboveTheCallsOwnSentence) {
    EXPECT_EQ(Report(STG_E_ACCESSDENIED, 8),
              "STG_E_ACCESSDENIED(80030005): - OpenStream\nInsufficient permissions to open "
              "stream.");
    EXPECT_EQ(Report(STG_E_FILEALREADYEXISTS, 10),
              "STG_E_FILEALREADYEXISTS(80030050): - StgOpenStorage\nIndicates the file exists but "
              "is not a storage object.");
}

TEST(ReportStgError, QuotedSentencesOfOperationRows) {
    const auto sentence = [](HRESULT hr, int operation) {
        return Report(hr, operation).section('\n', 1);
    };
    EXPECT_EQ(sentence(E_NOINTERFACE, 1), "Interface is not supported.");
    EXPECT_EQ(sentence(STG_E_FILEALREADYEXISTS, 3),
              "The element specified by the new name already exists.");
    EXPECT_EQ(sentence(STG_E_NOTCURRENT, 4),
              "Another open instance of the storage object has committed changes. Thus, the "
              "current commit operation may overwrite previous changes.");
    EXPECT_EQ(sentence(STG_E_MEDIUMFULL, 4), "No space left on device to commit.");
    EXPECT_EQ(sentence(STG_E_ACCESSDENIED, 7),
              "The destination storage object is a child of the source storage object.");
    EXPECT_EQ(sentence(STG_E_ACCESSDENIED, 10),
              "Access denied because the caller has insufficient permission, or another caller "
              "has the file open and locked.");
    EXPECT_EQ(sentence(STG_E_ACCESSDENIED, 17), "Insufficient permissions to create stream.");
    const QString grfMode = "The specified combination of grfMode flags is not supported. For "
                            "example, if this method is called without the STGM_SHARE_EXCLUSIVE "
                            "flag.";
    EXPECT_EQ(sentence(STG_E_INVALIDFUNCTION, 8), grfMode);
    EXPECT_EQ(sentence(STG_E_INVALIDFUNCTION, 17), grfMode);
}

TEST(ReportStgError, CallWithoutARowOfItsOwnTakesTheGenericSentence) {
    EXPECT_EQ(Report(STG_E_ACCESSDENIED, 11), "STG_E_ACCESSDENIED(80030005): - Release\nAccess "
                                              "Denied.");
    // "%1" is shown as it stands.
    EXPECT_EQ(Report(STG_E_OLDFORMAT, 14),
              "STG_E_OLDFORMAT(80030104): - Read\nThe compound file %1 was produced with an "
              "incompatible version of storage.");
}

TEST(ReportStgError, CodeWithoutAnyRowIsAnUnknownError) {
    EXPECT_EQ(Report(E_FAIL, 4), "E_FAIL(80004005): - Commit\nUnknown error");
    EXPECT_EQ(Report(static_cast<HRESULT>(0x80070002), 4),
              "Unknown SCODE(80070002): - Commit\nUnknown error");
}

TEST(ReportStgError, UnnamedCodesStillHaveTheirSentences) {
    EXPECT_EQ(Report(E_PENDING, 2), "Unknown SCODE(8000000A): - DestroyElement\nThe element"
                                    "\u2019s data is currently unavailable, in part or in whole.");
    EXPECT_EQ(Report(STG_E_DOCFILECORRUPT, 14),
              "Unknown SCODE(80030109): - Read\nThe docfile has been corrupted.");
}

TEST(ReportStgError, UnknownOperationUsesFixedWordsAndGenericSentence) {
    EXPECT_EQ(Report(STG_E_INVALIDNAME, 99),
              "STG_E_INVALIDNAME(800300FC): - Unknown functon\nThe name is not valid.");
    // Neither the generic marker nor the end marker is an operation.
    EXPECT_EQ(Report(STG_E_INVALIDNAME, 0),
              "STG_E_INVALIDNAME(800300FC): - Unknown functon\nThe name is not valid.");
    EXPECT_EQ(Report(STG_E_INVALIDNAME, 18),
              "STG_E_INVALIDNAME(800300FC): - Unknown functon\nThe name is not valid.");
}

TEST(ReportStgError, SuccessCodeIsPrintedWithoutLeadingZeros) {
    EXPECT_TRUE(
        Report(STG_S_CONVERTED, 6).startsWith("STG_S_CONVERTED(30200): - StgCreateDocfile\n"));
    EXPECT_EQ(Report(S_OK, 13), "S_OK(0): - Stat\nUnknown error");
}

} // namespace
