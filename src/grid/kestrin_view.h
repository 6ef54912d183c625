// The right-hand view of a compound-file window: what the tree has selected. A storage shows
// as the list of its elements; a stream as one 256-byte page of hex dump whose bytes are
// overwritten in place. The document owns the selection, the page and the list style; the
// view renders them on every update and hands edits and pastes back.
#pragma once

#include "base_scrl_view.h"
#include "ole_interfaces.h"
#include "page_view.h"

class CCmdUI;
class CElementListCtrl;
class CKestrinDoc;
class ElementChain;
class QPainter;
class QPrinter;

class CKestrinView : public CBaseScrlView, public CPageView {
public:
    CKestrinView();
    ~CKestrinView() override;

    CKestrinDoc* GetDocument() const;
    CElementListCtrl* GetListCtrl() const { return m_pList; }

    void OnInitialUpdate() override;
    // Shows the current element: its list or its page.
    void OnUpdate(CView* sender, long hint, CObject* hintObject) override;

    // CPageView.
    void SetListStyle(DWORD style) override;
    DWORD GetListStyle() const override;
    bool IsHexMode() const override { return m_bHexMode; }
    void SetCurrentByte(int index) override;
    void MarkBytes(ULONGLONG start, ULONGLONG count) override;

    // What the view shows, drawn on the printer's pages.
    void Print(QPrinter* printer);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    // The list paints itself; the grid only while the page shows.
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    // Shows the context menu; the tests' seam.
    virtual void TrackPopupMenu(QMenu* menu, const QPoint& globalPos);

private:
    void ShowList(bool show);
    void ShowPage(IStream* stream);
    // Reports a failed call on the page once: an update that meets the same failure again
    // (the box closing repaints and updates) stays quiet.
    void ReportPageError(HRESULT hr, int operation);
    void FitList();

    void OnEditCopy();
    void OnEditPaste();
    void OnUpdateEditCopy(CCmdUI* ui);
    void OnUpdateEditPaste(CCmdUI* ui);
    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();

    CElementListCtrl* m_pList = nullptr;
    bool m_bHexMode = true;
    bool m_bReporting = false;
    ULONG m_nPageBytes = 0; // of the page shown
    ULONGLONG m_markStart = 0;
    ULONGLONG m_markCount = 0;
    struct PageFailure {
        HRESULT hr = S_OK;
        int operation = 0;
        ULONGLONG offset = 0;
        bool operator==(const PageFailure&) const = default;
    };
    PageFailure m_lastFailure;
    PageFailure m_thisUpdate;
};
