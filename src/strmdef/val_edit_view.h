// The typed value view of a compound-file window: the current stream read as the variables of
// a stream definition, one grid row per variable with its declaration, name, position, value
// and comment. Rows of arrays, structs and defines expand into their elements or members, to
// any depth. The view only reads the stream, anew on every update.
//
// The document fills the rows (ClearRows, AddRow) when it loads a definition, and shows or
// hides the columns by its column commands. Each data row owns, as the word of its column-0
// cell, the CValDef it shows (null on the note row that closes a shortened expansion); the
// column-0 bitmap says whether the row is collapsed, expanded or a leaf.
#pragma once

#include <QImage>
#include <array>
#include <cstdint>
#include <map>
#include <memory>

#include "base_scrl_view.h"
#include "ole_interfaces.h"
#include "value_view.h"

class CCmdUI;
class CKestrinDoc;
class CTypeDef;
class CTypeSizes;
class CValDef;
class QMenu;

// An expansion shows at most this many elements or members; a note row stands for the rest.
inline constexpr int kMaxChildRows = 100000;

class CValEditView : public CBaseScrlView, public CValueView {
public:
    enum Column { COL_DEFINITION, COL_NAME, COL_POSITION, COL_VALUE, COL_COMMENT, COL_COUNT };

    CValEditView();
    // Forgets the rows without touching their types, which the document may have destroyed.
    ~CValEditView() override;

    CKestrinDoc* GetDocument() const;

    // Empties every row. releaseTypes false leaves the rows' types untouched (they may be gone).
    void ClearRows(bool releaseTypes) override;
    // Appends a top-level row for variable, collapsed; the view owns it from now on.
    void AddRow(std::unique_ptr<CValDef> variable) override;
    // Hiding keeps the column's width for showing it again; then the values are re-read.
    void ShowColumn(int column, bool show) override;
    int GetRowCount() const { return m_nRowCount; }
    int GetTopLevelCount() const { return m_nTopCount; }
    // The variable a data row shows; null on a note row.
    const CValDef* GetRowVariable(int row) const;

    // Applies the document's column choice.
    void OnInitialUpdate() override;
    // Reads the current stream and writes every row's position and value.
    void OnUpdate(CView* sender, long hint, CObject* hintObject) override;
    // Expands or collapses the row of a column-0 bitmap, then re-reads the values.
    bool OnBitmapClick(int row, int col) override;
    // A click picks the row under it (see MarkRowAt).
    void mousePressEvent(QMouseEvent* event) override;
    // Each bitmap is loaded once: an expansion of many rows asks for it every row.
    QImage LoadBitmap(UINT id) const override;

protected:
    // The document's number base; the tests' seam.
    virtual bool IsHexValues() const;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Shows the context menu; the tests' seam.
    virtual void TrackPopupMenu(QMenu* menu, const QPoint& globalPos);

private:
    struct Failure {
        HRESULT hr = S_OK;
        int operation = 0;
        bool operator==(const Failure&) const = default;
    };
    // The stream an update reads, and the bytes it read last: rows lie one after the other,
    // so one read serves many of them. Nothing outlives the update.
    struct Source {
        IStream* stream = nullptr;
        std::uint64_t size = 0;
        bool hex = false;
        QByteArray window;
        std::uint64_t windowStart = 0;
    };

    // Picking a row tints it, and its value's bytes on the hex page; the pick follows the row
    // through updates, expansions and paging, and goes with it when it is collapsed away.
    void MarkRowAt(const QPoint& point);
    void TintRow(int row, bool tint);
    void SendMark();
    void OnShowBytes();
    void OnUpdateShowBytes(CCmdUI* ui);
    void LayoutGrid();
    CValDef* RowDef(int row) const;
    // The sizes of every type the rows reach, made when first needed after the rows changed.
    const CTypeSizes& Sizes();
    bool IsExpandable(const CValDef& variable, const CTypeDef* owner);
    void WriteDeclaration(int row, const CValDef& variable, int indent);
    void SetRowBitmap(int row, const CValDef& variable, const CTypeDef* owner);

    // Update (val_edit_update.cpp).
    void ReadValues(IStream* stream);
    void ClearValues();
    // Writes the row at row and its shown descendants, moving row past them; returns the
    // position after the variable.
    std::uint64_t DrawVariable(Source& source, int& row, const CTypeDef* owner,
                               std::uint64_t position);
    void DrawChildren(Source& source, int& row, const CValDef& variable, std::uint64_t position);
    QByteArray ReadAt(Source& source, std::uint64_t position, std::uint64_t count);
    QByteArray ReadStream(IStream* stream, std::uint64_t position, std::uint64_t count);
    void Report(HRESULT hr, int operation);

    // Expansion (val_edit_expand.cpp).
    void Expand(int row);
    void Collapse(int row);

    int m_nRowCount = 0;
    int m_nTopCount = 0;
    std::array<int, COL_COUNT> m_anSavedWidth{120, 140, 42, 100, 150};
    ULONG m_nBytesRead = 0;
    std::unique_ptr<CTypeSizes> m_pSizes;
    mutable std::map<UINT, QImage> m_bitmaps;
    bool m_bReporting = false;
    const CValDef* m_pMarked = nullptr;
    // Where the picked value lies, as the last update found it; empty off the stream.
    std::uint64_t m_markStart = 0;
    std::uint64_t m_markCount = 0;
    bool m_bMarkOnStream = false;
    Failure m_lastFailure;
    Failure m_thisFailure;
};
