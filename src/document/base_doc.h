// The common base of the program's documents: the grid views hand edited and pasted cell
// texts to their document through these two operations, whatever kind of document it is.
#pragma once

#include <QStringList>
#include <vector>

#include "document.h"
#include "view.h"

class CBaseDoc : public CDocument {
public:
    // Keeps " *" at the end of the title while the document is modified.
    void SetModifiedFlag(bool modified = true) override;

    // Texts pasted into view at (row, column), in order; the result is the document's own.
    virtual int OnCellPaste(CView* view, int row, int column, const QStringList& texts);
    // The text an in-place edit left in the cell (row, column) of view.
    virtual void OnCellEdit(CView* view, int row, int column, const QString& text);

    // The first of the document's views, in their order, that is a T; null when none is.
    template <class T> T* GetView() const {
        for (CView* view : GetViews())
            if (auto* found = dynamic_cast<T*>(view))
                return found;
        return nullptr;
    }
    // Every view of the document that is a T, in their order.
    template <class T> std::vector<T*> GetViewsOf() const {
        std::vector<T*> found;
        for (CView* view : GetViews())
            if (auto* each = dynamic_cast<T*>(view))
                found.push_back(each);
        return found;
    }
};
