// The stream definitions loaded lately, as the application keeps them (the toolbar's combo
// box and the full paths behind its items). A document that loads a definition records it
// here; the application provides it.
#pragma once

#include <QString>

class CRecentStrmDefs {
public:
    virtual ~CRecentStrmDefs() = default;
    // The full path behind the combo box's selected item; empty when there is none.
    virtual QString GetSelectedStrmDef() const = 0;
    // Puts path first and selects it.
    virtual void AddLoadedStrmDef(const QString& path) = 0;
    // Takes path off: it can no longer be loaded.
    virtual void RemoveStrmDef(const QString& path) = 0;
};

// The application's list, when it keeps one.
CRecentStrmDefs* RecentStrmDefs();
