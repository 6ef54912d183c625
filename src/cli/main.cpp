// kestrin-cfb: the command-line face of the compound-file engine.
// Exit codes: 0 done, 1 check found faults beyond warnings, 2 an error (one line on stderr),
// 64 usage.
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

#include "commands.h"

using namespace cli;

namespace {

constexpr char kUsage[] =
    "usage: kestrin-cfb list FILE\n"
    "       kestrin-cfb cat FILE PATH\n"
    "       kestrin-cfb pack DIR FILE [--v4]\n"
    "       kestrin-cfb unpack FILE DIR\n"
    "       kestrin-cfb check FILE\n"
    "       kestrin-cfb poke FILE PATH OFFSET HEX\n"
    "PATH names an element below the root, e.g. \"Storage 1/\\x05SummaryInformation\";\n"
    "\\xHH stands for the byte HH. OFFSET is decimal or 0x-prefixed hex; HEX is e.g. DEADBEEF.\n";

struct Command {
    std::string_view name;
    std::size_t minArgs;
    std::size_t maxArgs;
    Status (*run)(Arguments);
};

constexpr Command kCommands[] = {
    {"list", 1, 1, RunList},     {"cat", 2, 2, RunCat},     {"pack", 2, 3, RunPack},
    {"unpack", 2, 2, RunUnpack}, {"check", 1, 1, RunCheck}, {"poke", 4, 4, RunPoke},
};

int Usage(std::string_view problem) {
    if (!problem.empty())
        std::fprintf(stderr, "kestrin-cfb: %.*s\n", static_cast<int>(problem.size()),
                     problem.data());
    std::fputs(kUsage, stderr);
    return kExitUsage;
}

} // namespace

int main(int argc, char** argv) {
    const std::span<const char* const> all(argv, static_cast<std::size_t>(argc));
    if (all.size() < 2)
        return Usage({});
    const std::string_view word = all[1];
    if (word == "-h" || word == "--help") {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    for (const Command& command : kCommands) {
        if (command.name != word)
            continue;
        const Arguments args = all.subspan(2);
        if (args.size() < command.minArgs || args.size() > command.maxArgs)
            return Usage("wrong number of arguments for " + std::string(word));
        const Status status = command.run(args);
        if (status.ExitCode() == kExitUsage)
            return Usage(status.Message());
        if (!status.Message().empty())
            std::fprintf(stderr, "kestrin-cfb: %s\n", status.Message().c_str());
        return status.ExitCode();
    }
    return Usage("unknown command " + std::string(word));
}
