// The outcome of a command: success, a sound-or-not verdict, an error to report, or a usage
// mistake. Each maps to the tool's exit code; errors carry the line printed on stderr.
#pragma once

#include <string>
#include <utility>

#include "ole_types.h"

namespace cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFaults = 1; // check found faults other than warnings
inline constexpr int kExitError = 2;
inline constexpr int kExitUsage = 64; // as sysexits' EX_USAGE

class Status {
public:
    static Status Ok() { return Status(kExitOk, {}); }
    static Status Faults() { return Status(kExitFaults, {}); }
    // An engine call failed: "<what>: STG_E_NAME (0x80030002)".
    static Status Storage(const std::string& what, HRESULT hr);
    // A system call failed: "<what>: <strerror(err)>".
    static Status System(const std::string& what, int err);
    static Status Error(std::string message) { return Status(kExitError, std::move(message)); }
    static Status Usage(std::string message) { return Status(kExitUsage, std::move(message)); }

    bool ok() const { return m_exitCode == kExitOk; }
    int ExitCode() const { return m_exitCode; }
    const std::string& Message() const { return m_message; }

private:
    Status(int exitCode, std::string message)
        : m_exitCode(exitCode), m_message(std::move(message)) {}

    int m_exitCode;
    std::string m_message;
};

// "STG_E_FILENOTFOUND (0x80030002)", or "HRESULT (0x...)" for a code without a name here.
std::string DescribeHResult(HRESULT hr);

} // namespace cli
