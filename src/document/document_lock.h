// The document lock: a re-entrant bracket around every stretch during which interfaces into
// the file are open. The program has one thread, so it never blocks; it counts, so that every
// opened element chain can be checked to be matched by exactly one release.
#pragma once

class CDocumentLock {
public:
    void Lock() { ++m_depth; }
    // An Unlock without its Lock is a fault of the caller; the depth never goes below zero.
    void Unlock() {
        if (m_depth > 0)
            --m_depth;
    }
    int Depth() const { return m_depth; }

private:
    int m_depth = 0;
};
