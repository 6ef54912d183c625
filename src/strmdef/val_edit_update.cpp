// The update of the typed value view: the current stream is opened through the document and
// every row takes the bytes of its value at its position, from a window of the stream read
// with one seek and one read when the row's bytes lie outside the last one. Nothing is kept
// between updates: every update shows the stream as it is.
#include <algorithm>

#include "element_chain.h"
#include "kestrin_doc.h"
#include "page_view.h"
#include "report_stg_error.h"
#include "stg_operation.h"
#include "strmdef_ids.h"
#include "type_def.h"
#include "type_sizes.h"
#include "val_def.h"
#include "val_edit_view.h"
#include "value_text.h"

namespace {

std::uint64_t Plus(std::uint64_t a, std::uint64_t b) {
    std::uint64_t sum = 0;
    return __builtin_add_overflow(a, b, &sum) ? UINT64_MAX : sum;
}

std::uint64_t Times(std::uint64_t a, std::uint64_t b) {
    std::uint64_t product = 0;
    return __builtin_mul_overflow(a, b, &product) ? UINT64_MAX : product;
}

// Enough for a screenful of rows and more; small beside the rows themselves.
constexpr std::uint64_t kReadWindow = 64 * 1024;

// Positions are always hexadecimal, without leading zeros.
QString PositionText(std::uint64_t position) {
    return QString::number(position, 16).toUpper();
}

} // namespace

void CValEditView::OnUpdate(CView* sender, long hint, CObject* hintObject) {
    m_nBytesRead = 0;
    m_thisFailure = {};
    m_bMarkOnStream = false;
    CKestrinDoc* doc = GetDocument();
    std::unique_ptr<ElementChain> chain = doc ? doc->OpenCurrent() : nullptr;
    IStream* stream = nullptr;
    if (chain) {
        if (!doc->GetCurIsStorage() && chain->GetLast()) {
            stream = chain->GetLastStream();
            chain->RemoveLast();
            ReadValues(stream);
            stream->Release();
        }
        chain->ReleaseAll();
        doc->Unlock();
    }
    // Without a stream there are no positions or values to show.
    if (!stream)
        ClearValues();
    m_lastFailure = m_thisFailure;
    SendMark();
    CBaseScrlView::OnUpdate(sender, hint, hintObject);
}

void CValEditView::ReadValues(IStream* stream) {
    Source source;
    source.stream = stream;
    source.hex = IsHexValues();
    STATSTG stat{};
    HRESULT hr = stream->Stat(&stat, STATFLAG_NONAME);
    if (FAILED(hr))
        Report(hr, STG_OP_STAT);
    else
        source.size = stat.cbSize.QuadPart;
    int row = 1;
    std::uint64_t position = 0;
    for (int i = 0; i < m_nTopCount && row <= m_nRowCount; ++i)
        position = DrawVariable(source, row, nullptr, position);
}

void CValEditView::TintRow(int row, bool tint) {
    for (int col = 0; col < COL_COUNT; ++col) {
        UINT& style = GetGrid()->Cell(row, col).m_nStyle;
        style = tint ? style | GCS_TINT : style & ~GCS_TINT;
    }
}

void CValEditView::SendMark() {
    CKestrinDoc* doc = GetDocument();
    if (CPageView* page = doc ? doc->GetKestrinView() : nullptr)
        page->MarkBytes(m_bMarkOnStream ? m_markStart : 0, m_bMarkOnStream ? m_markCount : 0);
}

void CValEditView::ClearValues() {
    CGrid* grid = GetGrid();
    for (int row = 1; row <= m_nRowCount; ++row) {
        grid->Cell(row, COL_POSITION).m_strText.clear();
        grid->Cell(row, COL_VALUE).m_strText.clear();
        grid->Cell(row, COL_VALUE).m_nStyle &= ~GCS_HATCH;
    }
}

// A value that reaches past the end of the stream shows an empty hatched cell; the rows after
// it still show their positions.
std::uint64_t CValEditView::DrawVariable(Source& source, int& row, const CTypeDef* owner,
                                         std::uint64_t position) {
    const int self = row++;
    const CValDef* variable = RowDef(self);
    if (!variable)
        return position;
    CGrid* grid = GetGrid();
    const std::uint64_t size = Sizes().VarSize(*variable, owner);
    bool past = size > 0 && (position > source.size || size > source.size - position);
    QString text;
    if (!past) {
        const ValuePlan plan = PlanValue(*variable, owner, Sizes());
        const QByteArray bytes = plan.bytes ? ReadAt(source, position, plan.bytes) : QByteArray();
        past = static_cast<std::uint64_t>(bytes.size()) < plan.bytes;
        if (!past)
            text = ValueText(plan, bytes, source.hex);
    }
    grid->Cell(self, COL_POSITION).m_strText = PositionText(position);
    TintRow(self, variable == m_pMarked);
    if (variable == m_pMarked) {
        m_markStart = position;
        m_markCount = size;
        m_bMarkOnStream = !past && position < source.size;
    }
    CGridCell& value = grid->Cell(self, COL_VALUE);
    value.m_strText = text;
    value.m_nStyle = past ? value.m_nStyle | GCS_HATCH : value.m_nStyle & ~GCS_HATCH;
    if (grid->GetCellBitmap(self, COL_DEFINITION) == IDB_VALUE_EXPANDED)
        DrawChildren(source, row, *variable, position);
    return Plus(position, size);
}

// The children walk the bytes of their parent: an array's elements one after the other, a
// struct's members, a define's definition.
void CValEditView::DrawChildren(Source& source, int& row, const CValDef& variable,
                                std::uint64_t position) {
    const CTypeDef* type = variable.GetType();
    if (variable.m_bArray) {
        const std::uint64_t step = Sizes().TypeSize(type);
        const int count = std::max(variable.m_nCount, 0);
        for (int i = 0; i < std::min(count, kMaxChildRows); ++i)
            DrawVariable(source, row, nullptr, Plus(position, Times(step, i)));
        row += count > kMaxChildRows; // the note row
        return;
    }
    const int count = type ? static_cast<int>(type->m_aMember.size()) : 0;
    for (int i = 0; i < std::min(count, kMaxChildRows); ++i)
        position = DrawVariable(source, row, type, position);
    row += count > kMaxChildRows;
}

QByteArray CValEditView::ReadAt(Source& source, std::uint64_t position, std::uint64_t count) {
    const auto held = static_cast<std::uint64_t>(source.window.size());
    const bool inside = position >= source.windowStart && count <= held &&
                        position - source.windowStart <= held - count;
    if (!inside) {
        if (count > kReadWindow)
            return ReadStream(source.stream, position, count);
        source.window = ReadStream(source.stream, position, kReadWindow);
        source.windowStart = position;
    }
    const auto offset = static_cast<qsizetype>(position - source.windowStart);
    return source.window.mid(offset, static_cast<qsizetype>(count));
}

// The bytes the stream delivers, fewer at its end; a failed call is reported.
QByteArray CValEditView::ReadStream(IStream* stream, std::uint64_t position, std::uint64_t count) {
    LARGE_INTEGER move;
    move.QuadPart = static_cast<LONGLONG>(position);
    HRESULT hr = stream->Seek(move, STREAM_SEEK_SET, nullptr);
    if (FAILED(hr)) {
        Report(hr, STG_OP_SEEK);
        return {};
    }
    QByteArray bytes(static_cast<qsizetype>(count), '\0');
    ULONG read = 0;
    hr = stream->Read(bytes.data(), static_cast<ULONG>(count), &read);
    if (FAILED(hr)) {
        Report(hr, STG_OP_READ);
        read = 0;
    }
    m_nBytesRead = read;
    bytes.truncate(std::min<qsizetype>(read, bytes.size()));
    return bytes;
}

// One report an update: a stream that fails for one row fails for the rest. An update that
// meets the failure the last one reported (closing the box repaints and updates) stays quiet.
void CValEditView::Report(HRESULT hr, int operation) {
    if (m_thisFailure.hr != S_OK)
        return;
    m_thisFailure = {hr, operation};
    if (m_bReporting || m_thisFailure == m_lastFailure)
        return;
    m_bReporting = true;
    ReportStgError(hr, operation);
    m_bReporting = false;
}
