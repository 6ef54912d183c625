// Steps through the elements of one open storage with a one-element look-ahead.
#pragma once

#include <QString>

#include "ole_interfaces.h"

// Holds its own reference to the storage and owns the IEnumSTATSTG it asks for. An
// enumerator that hands out the same element twice in a row ends the walk quietly.
//
// Names are the engine's UTF-16 names as QString. The filter is a name compared exactly
// (case-sensitive); an empty (or null) filter lets every element through.
class CStgEnumerator {
public:
    // storage may be null: First then yields nothing. With fullInformation, each element is
    // opened and its own Stat replaces what the enumerator returned for it; failures are
    // reported and the walk goes on.
    CStgEnumerator(IStorage* storage, const QString& filter = QString(),
                   BOOL fullInformation = FALSE);
    virtual ~CStgEnumerator();
    CStgEnumerator(const CStgEnumerator&) = delete;
    CStgEnumerator& operator=(const CStgEnumerator&) = delete;

    // Starts the enumeration and fetches the first element; TRUE when one is pending.
    BOOL First();
    // Makes the pending element current and fetches the next; TRUE when a further element is
    // pending. When it returns FALSE the current element is still valid.
    BOOL Next();

    QString GetName() const { return m_name; }
    // Copies the current statistics to out (its pwcsName is null) and returns out.
    STATSTG* GetStat(STATSTG* out) const;
    BOOL IsStorage() const { return m_type == STGTY_STORAGE; }
    BOOL IsStream() const { return m_type == STGTY_STREAM; }

    // Lets go of the storage and the element enumerator.
    void Close();

protected:
    IStorage* m_storage;
    IEnumSTATSTG* m_enumerator = nullptr;
    DWORD m_type = 0;
    QString m_name;
    DWORD m_aheadType = 0;
    QString m_aheadName;
    QString m_filter;
    STATSTG m_stat{};
    STATSTG m_aheadStat{};
    BOOL m_fullInformation;

private:
    void ReadOwnStat();
    template <class Element> void StatOpened(Element* element);
};
