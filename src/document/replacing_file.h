// A compound file written beside its target and moved over it only once it is complete, as a
// careful save does: a save that fails half-way leaves whatever was at the target untouched.
#pragma once

#include <QString>

#include "ole_interfaces.h"

class ReplacingFile {
public:
    explicit ReplacingFile(const QString& target);
    // Removes the new file unless it has replaced the target, and lets the target go.
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // Keeps every other opener off an existing target until the new file has replaced it,
    // and fails as a create over the target would (another program holds it, nobody may
    // write it); a missing target is fine.
    HRESULT HoldTarget();
    // Creates the new compound file beside the target, under a name of its own.
    HRESULT Create(DWORD mode, bool largeSectors, IStorage** storage);
    // Gives the new file the target's permissions and moves it over the target. The storage
    // made by Create stays open on it.
    HRESULT Replace();

private:
    QString m_target;
    QString m_temporary;
    ILockBytes* m_held = nullptr;
    bool m_replaced = false;
};
