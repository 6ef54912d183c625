// Reporting of failed storage calls: one message box naming the code, the call and what the
// code means for that call.
#pragma once

#include "ole_types.h"
#include "stg_operation.h"

// Shows the report for hr returned by the storage call with the given operation code
// (STG_OP_*, 1 to 17) and returns when the user closes the box. Changes no state; the caller
// decides how to go on. Unknown codes and operations are reported with fixed words instead.
// Always returns 1.
int ReportStgError(HRESULT hr, int operation);
