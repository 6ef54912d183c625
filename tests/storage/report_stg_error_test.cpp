// The one box a failed storage call gets: the code's name and value, the call, and the
// sentence for that call and code (else the code's generic one, else "Unknown error").
#include <gtest/gtest.h>

#include "recording_message_box.h"
#include "report_stg_error.h"

namespace {

TEST(ReportStgError, NamesCodeAndCallAboveTheSentence) {
    const QString grfMode = "The specified combination of grfMode flags is not supported. For "
                            "example, if this method is called without the STGM_SHARE_EXCLUSIVE "
                            "flag.";
    const struct {
        HRESULT hr;
        int operation;
        QString text;
    } cases[] = {
        {STG_E_ACCESSDENIED, 8,
         "STG_E_ACCESSDENIED(80030005): - OpenStream\nInsufficient permissions to open stream."},
        {STG_E_FILEALREADYEXISTS, 3,
         "STG_E_FILEALREADYEXISTS(80030050): - RenameElement\nThe "
         "element specified by the new name already exists."},
        {STG_E_MEDIUMFULL, 4,
         "STG_E_MEDIUMFULL(80030070): - Commit\nNo space left on device to commit."},
        {STG_E_ACCESSDENIED, 7,
         "STG_E_ACCESSDENIED(80030005): - CopyTo\nThe destination storage "
         "object is a child of the source storage object."},
        {STG_E_INVALIDFUNCTION, 17, "STG_E_INVALIDFUNCTION(80030001): - CreateStream\n" + grfMode},
        // No row for the call: the code's generic sentence, "%1" as it stands.
        {STG_E_ACCESSDENIED, 11, "STG_E_ACCESSDENIED(80030005): - Release\nAccess Denied."},
        {STG_E_OLDFORMAT, 14,
         "STG_E_OLDFORMAT(80030104): - Read\nThe compound file %1 was "
         "produced with an incompatible version of storage."},
        // No row at all, or no name.
        {E_FAIL, 4, "E_FAIL(80004005): - Commit\nUnknown error"},
        {static_cast<HRESULT>(0x80070002), 4, "Unknown SCODE(80070002): - Commit\nUnknown error"},
        {E_PENDING, 2,
         "Unknown SCODE(8000000A): - DestroyElement\nThe element\u2019s data is "
         "currently unavailable, in part or in whole."},
        {STG_E_DOCFILECORRUPT, 14,
         "Unknown SCODE(80030109): - Read\nThe docfile has been corrupted."},
        // Neither the generic marker 0 nor the end marker 18 is a call.
        {STG_E_INVALIDNAME, 0,
         "STG_E_INVALIDNAME(800300FC): - Unknown functon\nThe name is not valid."},
        {STG_E_INVALIDNAME, 18,
         "STG_E_INVALIDNAME(800300FC): - Unknown functon\nThe name is not valid."},
        {STG_E_INVALIDNAME, 99,
         "STG_E_INVALIDNAME(800300FC): - Unknown functon\nThe name is not valid."},
        // Success codes without leading zeros.
        {S_OK, 13, "S_OK(0): - Stat\nUnknown error"},
    };
    for (const auto& c : cases) {
        RecordingMessageBox boxes;
        EXPECT_EQ(ReportStgError(c.hr, c.operation), 1);
        EXPECT_EQ(boxes.texts, QStringList{c.text});
        EXPECT_EQ(boxes.types, std::vector<unsigned>{MB_OK});
    }
}

} // namespace
