// The three constant tables behind ReportStgError. Each is searched from the top and the
// first matching row wins, so the order of the rows is part of their meaning.
#pragma once

#include <cstdint>
#include <span>

#include "ole_types.h"
#include "stg_operation.h"

// Error codes are written in the tables as the unsigned values the platform's header gives.
constexpr HRESULT Scode(std::uint32_t value) {
    return static_cast<HRESULT>(value);
}

struct StgOperationName {
    int operation;
    const char* name;
};

struct StgErrorMessage {
    int operation;
    HRESULT hr;
    const char* message; // UTF-8
};

struct StgCodeName {
    HRESULT hr;
    const char* name;
};

// Operation code → name of the storage call; the row with STG_OP_END closes it.
extern const StgOperationName g_stgOperationNames[];

// (operation, code) → sentence: the generic rows (operation 0) first, then the rows of each
// operation; the row with STG_OP_END closes it.
extern const StgErrorMessage g_stgErrorMessages[];

// Code → symbolic name.
extern const std::span<const StgCodeName> g_stgCodeNames;
