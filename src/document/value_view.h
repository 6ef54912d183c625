// The view that shows the current stream as the variables of a stream definition. The
// document hands it the variables of each definition it loads and shows or hides its columns;
// the variables name types of the document's type list.
#pragma once

#include <memory>

class CValDef;

class CValueView {
public:
    virtual ~CValueView() = default;
    // Empties every row. releaseTypes false leaves the rows' types untouched (they may be gone).
    virtual void ClearRows(bool releaseTypes) = 0;
    // Appends a top-level row for variable; the view owns it from now on.
    virtual void AddRow(std::unique_ptr<CValDef> variable) = 0;
    virtual void ShowColumn(int column, bool show) = 0;
};
