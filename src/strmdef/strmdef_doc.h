// A stream-definition document (.stm): one stream definition (strm_def.h) and the operations
// its editors change it through. Every operation keeps the type list's invariants: the base
// types first and fixed, each type's id equal to its index, a member that is not a pointer
// naming only a type before the one holding it, and a type in use never deleted. The views
// hear of type changes by the hints below, with the type concerned as the hint object.
#pragma once

#include <QByteArray>
#include <memory>
#include <vector>

#include "base_doc.h"
#include "strm_def.h"

class CTypeDef;
class CValDef;

enum StrmDefHint : long {
    HINT_TYPE_ADDED = 1,
    HINT_TYPE_DELETED = 2,
    HINT_TYPE_SELECTED = 3,   // sent by the type list
    HINT_TYPE_UNSELECTED = 4, // sent by the type list, with no object
    HINT_TYPE_MOVED_UP = 5,
    HINT_TYPE_MOVED_DOWN = 6,
};

// DeleteType's results.
enum DeleteTypeResult { DELETE_TYPE_DONE = 0, DELETE_TYPE_BASE = 1, DELETE_TYPE_IN_USE = 2 };

class CStrmDefDoc : public CBaseDoc {
public:
    void Serialize(CArchive& ar) override;
    // Back to the base types and an empty layout: New and Open start from there. The frames
    // and their views, with any copies of variables, are gone by the time Close gets here.
    void DeleteContents() override;
    // A file that cannot be read through is reported as a damaged stream definition.
    void ReportSaveLoadException(const QString& path, bool saving, UINT defaultId) override;

    const std::vector<std::unique_ptr<CTypeDef>>& GetTypes() const { return m_def.m_aTypes; }
    const std::vector<std::unique_ptr<CValDef>>& GetLayout() const { return m_def.m_aLayout; }
    int FindTypeByName(const QByteArray& name, CTypeDef** found = nullptr) const {
        return m_def.FindTypeByName(name, found);
    }

    // Appends type when its id is not below the list's size (destroys it otherwise) and
    // tells the views; marks the document modified either way.
    bool AddType(CView* sender, std::unique_ptr<CTypeDef> type);
    // Removes the type at index unless it is a base type or in use (refCount receives the
    // references on it other than its own members'), renumbering the types after it. The
    // caller marks the document modified.
    DeleteTypeResult DeleteType(CView* sender, int index, int& refCount);
    // Swap type with its neighbour, refused with a message when the lower of the two embeds
    // the other by value. Base types and the ends of the list stay where they are (true).
    bool MoveTypeUp(CView* sender, CTypeDef* type);
    bool MoveTypeDown(CView* sender, CTypeDef* type);

    void AddVariable(std::unique_ptr<CValDef> variable);
    void InsertVariable(int index, std::unique_ptr<CValDef> variable);
    // Marks the document modified only when variable differs from the one it replaces.
    void ReplaceVariable(int index, std::unique_ptr<CValDef> variable);
    void RemoveVariable(int index);

private:
    // The index of type in the type list, or -1.
    int IndexOf(const CTypeDef* type) const;
    // Swaps the types at index and index + 1 unless the second embeds the first by value.
    bool SwapWithNext(int index);

    CStrmDef m_def;
};
