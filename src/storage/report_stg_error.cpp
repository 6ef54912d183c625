#include "report_stg_error.h"

#include <QString>

#include "message_box.h"
#include "stg_error_tables.h"

namespace {

const char* FindMessage(int operation, HRESULT hr) {
    for (const StgErrorMessage* row = g_stgErrorMessages; row->operation != STG_OP_END; ++row) {
        if (row->operation == operation && row->hr == hr)
            return row->message;
    }
    return nullptr;
}

const char* FindCodeName(HRESULT hr) {
    for (const StgCodeName& row : g_stgCodeNames) {
        if (row.hr == hr)
            return row.name;
    }
    return "Unknown SCODE";
}

const char* FindOperationName(int operation) {
    for (const StgOperationName* row = g_stgOperationNames; row->operation != STG_OP_END; ++row) {
        if (row->operation == operation)
            return row->name;
    }
    return "Unknown functon";
}

} // namespace

int ReportStgError(HRESULT hr, int operation) {
    const char* message = FindMessage(operation, hr);
    if (!message)
        message = FindMessage(STG_OP_GENERIC, hr);
    const char* codeName = FindCodeName(hr);
    const char* operationName = FindOperationName(operation);
    const auto code = static_cast<unsigned>(hr);

    // QString::asprintf reads %s as UTF-8, which keeps the full-width apostrophes intact.
    QString text;
    if (message)
        text = QString::asprintf("%s(%X): - %s\n%s", codeName, code, operationName, message);
    else
        text = QString::asprintf("%s(%X): - %s\nUnknown error", codeName, code, operationName);
    AfxMessageBox(text, MB_OK);
    return 1;
}
