// Names of the storage calls, by the operation code their callers pass to ReportStgError.
#include "stg_error_tables.h"

const StgOperationName g_stgOperationNames[] = {
    {STG_OP_QUERYINTERFACE, "QueryInterface"},
    {STG_OP_DESTROYELEMENT, "DestroyElement"},
    {STG_OP_RENAMEELEMENT, "RenameElement"},
    {STG_OP_COMMIT, "Commit"},
    {STG_OP_OPENSTORAGE, "OpenStorage"},
    {STG_OP_STGCREATEDOCFILE, "StgCreateDocfile"},
    {STG_OP_COPYTO, "CopyTo"},
    {STG_OP_OPENSTREAM, "OpenStream"},
    {STG_OP_REVERT, "Revert"},
    {STG_OP_STGOPENSTORAGE, "StgOpenStorage"},
    {STG_OP_RELEASE, "Release"},
    {STG_OP_ENUMELEMENTS, "EnumElements"},
    {STG_OP_STAT, "Stat"},
    {STG_OP_READ, "Read"},
    {STG_OP_SEEK, "Seek"},
    {STG_OP_CREATESTORAGE, "CreateStorage"},
    {STG_OP_CREATESTREAM, "CreateStream"},
    {STG_OP_END, nullptr},
};
