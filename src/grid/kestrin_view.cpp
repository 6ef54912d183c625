#include "kestrin_view.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <array>

#include "cmd_ui.h"
#include "element_chain.h"
#include "element_list_ctrl.h"
#include "grid_clip_format.h"
#include "grid_ids.h"
#include "hex_page.h"
#include "kestrin_doc.h"
#include "menu.h"
#include "print_dialog.h"
#include "report_stg_error.h"
#include "stg_operation.h"

namespace {

// The keys the hex page moves its current cell with while the view has the keyboard.
bool IsNavigationKey(int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Right:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_F2:
        return true;
    default:
        return false;
    }
}

} // namespace

CKestrinView::CKestrinView() : CBaseScrlView(true), m_pList(new CElementListCtrl(this)) {
    LayoutHexGrid(*GetGrid());
    m_pList->hide();
    OnCommand(ID_EDIT_COPY, &CKestrinView::OnEditCopy);
    OnCommand(ID_EDIT_PASTE, &CKestrinView::OnEditPaste);
    OnUpdateCommand(ID_EDIT_COPY, &CKestrinView::OnUpdateEditCopy);
    OnUpdateCommand(ID_EDIT_PASTE, &CKestrinView::OnUpdateEditPaste);
    OnCommand(ID_FILE_PRINT, &CKestrinView::OnFilePrint);
    OnCommand(ID_FILE_PRINT_DIRECT, &CKestrinView::OnFilePrintDirect);
    OnCommand(ID_FILE_PRINT_PREVIEW, &CKestrinView::OnFilePrintPreview);
}

CKestrinView::~CKestrinView() = default;

CKestrinDoc* CKestrinView::GetDocument() const {
    return dynamic_cast<CKestrinDoc*>(CView::GetDocument());
}

void CKestrinView::OnInitialUpdate() {
    GetGrid()->MoveToFirstCell();
    FitList();
    CBaseScrlView::OnInitialUpdate();
}

void CKestrinView::OnUpdate(CView* sender, long hint, CObject* hintObject) {
    CKestrinDoc* doc = GetDocument();
    std::unique_ptr<ElementChain> chain = doc ? doc->OpenCurrent() : nullptr;
    m_thisUpdate = {};
    if (chain && !chain->GetLast()) {
        chain->ReleaseAll();
        chain.reset();
        doc->Unlock();
    }
    if (chain) {
        if (doc->GetCurIsStorage()) {
            ShowList(true);
            m_pList->Fill(chain->GetLastStorage());
            FitList();
            m_bAutoScrollBars = false;
        } else {
            ShowList(false);
            IStream* stream = chain->GetLastStream();
            chain->RemoveLast();
            ShowPage(stream);
            stream->Release();
            m_bAutoScrollBars = true;
        }
        chain->ReleaseAll();
        chain.reset();
        doc->Unlock();
    }
    m_lastFailure = m_thisUpdate;
    CBaseScrlView::OnUpdate(sender, hint, hintObject);
    if (m_bHexMode)
        UpdateScrollBars();
}

void CKestrinView::ShowList(bool show) {
    if (m_bHexMode != show)
        return;
    m_bHexMode = !show;
    m_pList->setVisible(show);
    if (CGridEditor* editor = GetGrid()->GetEditor())
        editor->ShowWindow(show ? SW_HIDE : SW_SHOW);
}

// A page that cannot be read whole still shows the bytes that were read.
void CKestrinView::ShowPage(IStream* stream) {
    CKestrinDoc* doc = GetDocument();
    STATSTG stat{};
    HRESULT hr = stream->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr)) {
        ReportPageError(hr, STG_OP_STAT);
        stat.cbSize.QuadPart = 0;
    }
    doc->SetStreamSize(stat.cbSize.QuadPart);
    const ULONGLONG offset = doc->GetPageOffset();
    std::array<BYTE, kHexPageSize> bytes{};
    ULONG read = 0;
    LARGE_INTEGER move;
    move.QuadPart = static_cast<LONGLONG>(offset);
    hr = stream->Seek(move, STREAM_SEEK_SET, nullptr);
    if (FAILED(hr))
        ReportPageError(hr, STG_OP_SEEK);
    hr = stream->Read(bytes.data(), kHexPageSize, &read);
    if (FAILED(hr))
        ReportPageError(hr, STG_OP_READ);
    m_nPageBytes = std::min<ULONG>(read, kHexPageSize);
    FillHexPage(*GetGrid(), offset, bytes.data(), m_nPageBytes);
    MarkHexBytes(*GetGrid(), offset, m_nPageBytes, m_markStart, m_markCount);
}

void CKestrinView::MarkBytes(ULONGLONG start, ULONGLONG count) {
    if (start == m_markStart && count == m_markCount)
        return;
    m_markStart = start;
    m_markCount = count;
    if (const CKestrinDoc* doc = GetDocument(); doc && m_bHexMode) {
        MarkHexBytes(*GetGrid(), doc->GetPageOffset(), m_nPageBytes, start, count);
        viewport()->update();
    }
}

void CKestrinView::ReportPageError(HRESULT hr, int operation) {
    const CKestrinDoc* doc = GetDocument();
    const PageFailure failure{hr, operation, doc ? doc->GetPageOffset() : 0};
    if (m_thisUpdate.hr == S_OK)
        m_thisUpdate = failure;
    if (m_bReporting || failure == m_lastFailure)
        return;
    m_bReporting = true;
    ReportStgError(hr, operation);
    m_bReporting = false;
}

void CKestrinView::FitList() {
    m_pList->setGeometry(viewport()->geometry());
}

void CKestrinView::SetListStyle(DWORD style) {
    m_pList->SetListStyle(style & LVS_TYPEMASK);
}

DWORD CKestrinView::GetListStyle() const {
    return m_pList->GetListStyle() & LVS_TYPEMASK;
}

// A key the page acts on goes no further up the windows.
// The cell takes the focus as a click on it does, ready to be typed over.
void CKestrinView::SetCurrentByte(int index) {
    CGrid* grid = GetGrid();
    grid->ClearSelection(false);
    grid->SetCurCell(index % kHexRowBytes + 1, index / kHexRowBytes + 1, true);
    grid->SetSelectActive(true);
    SetGridFocus(true);
}

void CKestrinView::keyPressEvent(QKeyEvent* event) {
    CBaseScrlView::keyPressEvent(event);
    if (m_bHexMode && IsNavigationKey(event->key())) {
        GetGrid()->OnGridKeyDown(event->key());
        event->accept();
    }
}

void CKestrinView::paintEvent(QPaintEvent* event) {
    if (m_bHexMode)
        CBaseScrlView::paintEvent(event);
}

void CKestrinView::resizeEvent(QResizeEvent* event) {
    CBaseScrlView::resizeEvent(event);
    if (!m_bHexMode) {
        FitList();
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
}

void CKestrinView::contextMenuEvent(QContextMenuEvent* event) {
    if (!m_bHexMode)
        return;
    CMenu menu;
    if (!menu.LoadMenu(IDR_PAGE_CONTEXT))
        return;
    if (QMenu* popup = menu.GetSubMenu(0))
        TrackPopupMenu(popup, event->globalPos());
}

void CKestrinView::TrackPopupMenu(QMenu* menu, const QPoint& globalPos) {
    menu->exec(globalPos);
}

void CKestrinView::OnEditCopy() {
    GetGrid()->CopyCells(QStringLiteral("\t"));
}

void CKestrinView::OnEditPaste() {
    GetGrid()->PasteCells(QStringLiteral("\t"));
}

// Cells copy and paste only while the page shows: the list's elements are not cells.
void CKestrinView::OnUpdateEditCopy(CCmdUI* ui) {
    ui->Enable(m_bHexMode && GetGrid()->IsSelectActive());
}

void CKestrinView::OnUpdateEditPaste(CCmdUI* ui) {
    const QMimeData* data =
        QApplication::clipboard() ? QApplication::clipboard()->mimeData() : nullptr;
    ui->Enable(m_bHexMode && data &&
               (data->hasFormat(QString::fromLatin1(kGridMimeType)) || data->hasText()));
}

void CKestrinView::OnFilePrint() {
    QPrinter printer;
    if (ExecPrintDialog(&printer, this))
        Print(&printer);
}

// To the default printer, without asking.
void CKestrinView::OnFilePrintDirect() {
    QPrinter printer;
    Print(&printer);
}

void CKestrinView::OnFilePrintPreview() {
    QPrintPreviewDialog preview(this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* printer) { Print(printer); });
    preview.exec();
}

// The hex page as the grid draws it, or the list as it shows, scaled down to the page's
// width when it is wider.
void CKestrinView::Print(QPrinter* printer) {
    QPainter painter;
    if (!painter.begin(printer))
        return;
    const QRect page = printer->pageLayout().paintRectPixels(printer->resolution());
    const QSize drawn = m_bHexMode ? viewport()->size() : m_pList->size();
    CRect grid;
    GetGrid()->GetGridRect(&grid);
    const QSize content = m_bHexMode ? QSize(grid.Width() + 1, grid.Height() + 1) : drawn;
    // Screen pixels to printer pixels at the screen's resolution, never wider than the page.
    const double scale = std::min(printer->resolution() / 96.0,
                                  page.width() / static_cast<double>(std::max(1, content.width())));
    painter.scale(scale, scale);
    if (m_bHexMode) {
        painter.setClipRect(QRect(QPoint(0, 0), content));
        GetGrid()->Draw(&painter);
    } else {
        m_pList->GetCurrentView()->render(&painter);
    }
}
