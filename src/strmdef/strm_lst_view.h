// The type list of a stream-definition window: one grid row per type of the document, the
// type with id i in row i + 1, below the header. A click on a row asks the type editor to
// load that type; a click beside the rows clears the editor.
#pragma once

#include "base_scrl_view.h"

class CStrmDefDoc;
class CTypeDef;

class CStrmLstView : public CBaseScrlView {
public:
    CStrmLstView();

    CStrmDefDoc* GetDocument() const;
    int GetTypeRows() const { return m_nTypeRows; }

    void OnInitialUpdate() override;
    // Follows the document's type hints: added, deleted, moved up or down.
    void OnUpdate(CView* sender, long hint, CObject* hintObject) override;
    void OnCellClick(int nRow, int nCol) override;

protected:
    // The one column spans the view.
    void resizeEvent(QResizeEvent* event) override;

private:
    void AddRow(const CTypeDef& type);
    void RemoveRow(const CTypeDef& type);
    // After a move: the moved type's new row is selected, its neighbour's row is not.
    void ShowMove(const CTypeDef& moved, int neighbourRow);

    int m_nTypeRows = 0;
};
