// The sorted, detached element list of one storage: storages first, then streams, each
// group by name ignoring case.
#pragma once

#include <memory>
#include <vector>

#include "stg_element.h"
#include "stg_enumerator.h"

// Callers build it, Fill it, Close it as soon as the list is read (the records do not need
// the storage), walk it with MoveNext and destroy it:
//
//     CStgFolder folder(storage, filter, FALSE);
//     BOOL more = folder.Fill();
//     folder.Close();
//     while (more) {
//         more = folder.MoveNext();
//         ... folder.GetName(), folder.IsStorage(), folder.GetStat(&stat) ...
//     }
//
// A caller that only wants to know whether a name exists passes it as the filter and tests
// what Fill returns. The list is never refreshed; it never changes the storage.
class CStgFolder : public CStgEnumerator {
public:
    CStgFolder(IStorage* storage, const QString& filter = QString(), BOOL fullInformation = FALSE);
    ~CStgFolder() override;

    // Reads the whole enumeration and sorts it; TRUE when the list holds a record.
    BOOL Fill();
    // Moves to the next record; TRUE when records remain beyond the new current one.
    BOOL MoveNext();

    // The current record; valid only after a MoveNext.
    QString GetName() const;
    STATSTG* GetStat(STATSTG* out) const;
    BOOL IsStorage() const;
    BOOL IsStream() const;

protected:
    int m_cursor = 0; // records passed by MoveNext; the current one is m_cursor - 1
    std::vector<std::unique_ptr<CStgElement>> m_records;

private:
    const CStgElement& Current() const { return *m_records[m_cursor - 1]; }
    void Sort();
};
