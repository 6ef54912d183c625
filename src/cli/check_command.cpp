// kestrin-cfb check FILE: the independent structure verifier over the file's bytes. Prints
// one "NAME: detail" line per fault. Warnings, marked "(warning)" after their detail, name
// what other writers commonly do and every reader copes with (gsf colours every node black),
// so they alone leave the exit code 0; any other fault makes it 1.
#include <cstdio>

#include "com_ptr.h"
#include "commands.h"
#include "element_path.h"
#include "storage_api.h"
#include "structure_check.h"

namespace cli {

Status RunCheck(Arguments args) {
    std::u16string name;
    if (Status status = FileNameToOle(args[0], name); !status.ok())
        return status;
    ComPtr<ILockBytes> bytes;
    // Another program may hold the file open for writing; a check only reads.
    const HRESULT hr =
        CreateILockBytesOnFile(name.c_str(), STGM_READ | STGM_SHARE_DENY_NONE, bytes.Put());
    if (FAILED(hr))
        return Status::Storage("open " + std::string(args[0]), hr);
    // An editor with changes pending writes large appends past the file's end before its
    // commit takes them into the FAT: beside such a writer, that tail is no fault of the
    // saved file.
    ComPtr<ILockBytes> probe;
    const bool writerBeside =
        CreateILockBytesOnFile(name.c_str(), STGM_READ | STGM_SHARE_DENY_WRITE, probe.Put()) ==
        STG_E_LOCKVIOLATION;
    probe.Reset();
    bool sound = true;
    for (auto& fault : CheckStructure(bytes.Get())) {
        if (writerBeside && fault.name == "sectors-beyond-fat") {
            fault.warning = true;
            fault.detail += "; a writer has the file open";
        }
        std::printf("%s: %s%s\n", fault.name.c_str(), fault.detail.c_str(),
                    fault.warning ? " (warning)" : "");
        sound = sound && fault.warning;
    }
    std::fflush(stdout);
    return sound ? Status::Ok() : Status::Faults();
}

} // namespace cli
