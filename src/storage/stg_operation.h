// The codes that name a failed storage call when it is reported through ReportStgError.
#pragma once

constexpr int STG_OP_GENERIC = 0; // message rows that serve every operation
constexpr int STG_OP_QUERYINTERFACE = 1;
constexpr int STG_OP_DESTROYELEMENT = 2;
constexpr int STG_OP_RENAMEELEMENT = 3;
constexpr int STG_OP_COMMIT = 4;
constexpr int STG_OP_OPENSTORAGE = 5;
constexpr int STG_OP_STGCREATEDOCFILE = 6;
constexpr int STG_OP_COPYTO = 7;
constexpr int STG_OP_OPENSTREAM = 8;
constexpr int STG_OP_REVERT = 9;
constexpr int STG_OP_STGOPENSTORAGE = 10;
constexpr int STG_OP_RELEASE = 11;
constexpr int STG_OP_ENUMELEMENTS = 12;
constexpr int STG_OP_STAT = 13;
constexpr int STG_OP_READ = 14;
constexpr int STG_OP_SEEK = 15;
constexpr int STG_OP_CREATESTORAGE = 16;
constexpr int STG_OP_CREATESTREAM = 17;
constexpr int STG_OP_END = 18; // closes the operation and message tables
