// The in-place editor: hexadecimal filter, commit on navigation keys, Escape, focus and limit.
#include "grid_edit.h"

#include <QKeyEvent>
#include <algorithm>

#include "beep.h"
#include "grid_cell.h"
#include "hex_input.h"

namespace {

// What a line edit holds at most; a limit of 0 means no limit of the cell's own.
constexpr int kMaxLength = 32767;

// Keys that move to another cell commit first, so the typed text is not lost by the move.
bool IsCommitKey(int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return false;
    }
}

bool IsEnterOrEscape(int key) {
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
}

} // namespace

CGridEdit::CGridEdit(QWidget* parent, CGridEditHost* pHost) : QLineEdit(parent), m_pHost(pHost) {
    setFrame(false);
    // Every change the user makes (typing, pasting, dropping) passes the filter.
    connect(this, &QLineEdit::textEdited, this, [this] { FilterHex(); });
}

void CGridEdit::SetFont(const QFont& font) {
    setFont(font);
}

void CGridEdit::SetText(const QString& text) {
    m_strRestore = text;
    ApplyLimit(static_cast<int>(text.size()));
    setText(text);
}

void CGridEdit::SetCell(int nRow, int nCol) {
    m_nRow = nRow;
    m_nCol = nCol;
}

void CGridEdit::SetCellFormat(UINT nStyle, int nLimit) {
    m_nStyle = nStyle;
    m_nLimit = nLimit;
    ApplyLimit(static_cast<int>(text().size()));
}

// A text the program puts in stays whole even when it is longer than the cell's limit; the
// user just cannot make it longer.
void CGridEdit::ApplyLimit(int nTextLength) {
    setMaxLength(std::max(m_nLimit > 0 ? std::min(m_nLimit, kMaxLength) : kMaxLength, nTextLength));
}

void CGridEdit::ShowWindow(int nCmdShow) {
    setVisible(nCmdShow != SW_HIDE);
}

void CGridEdit::MoveWindow(const CRect& rect) {
    setGeometry(rect.ToQRect());
}

void CGridEdit::Commit() {
    if (!isModified())
        return;
    m_pHost->OnCellEdit(m_nRow, m_nCol, text());
    setModified(false);
}

void CGridEdit::SetSel(int nStart, int nEnd) {
    setSelection(nStart, (nEnd < 0 ? static_cast<int>(text().size()) : nEnd) - nStart);
}

// The cut text still counts as the user's change, so Enter commits what is left.
void CGridEdit::FilterHex() {
    if (!(m_nStyle & GCS_HEX))
        return;
    const QString typed = text();
    const int run = LeadingHexLength(typed);
    if (run == typed.size())
        return;
    MessageBeep(MB_ICONASTERISK);
    setText(typed.left(run));
    setModified(true);
}

// Copy and paste are the grid's commands, as their menu items are: the editor lets their
// keys go to the window's shortcuts instead of copying its own text.
bool CGridEdit::event(QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Paste)) {
            event->ignore();
            return true;
        }
    }
    return QLineEdit::event(event);
}

// Enter and Escape belong to the grid, never to a dialog or view around the editor; no key
// goes on to the view, which hears them through the hook instead.
void CGridEdit::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (IsCommitKey(key))
        Commit();
    if (key == Qt::Key_Escape)
        setText(m_strRestore);
    if (!IsEnterOrEscape(key))
        QLineEdit::keyPressEvent(event);
    event->accept();
    m_pHost->OnGridKeyDownHook(*event);
}

void CGridEdit::keyReleaseEvent(QKeyEvent* event) {
    QLineEdit::keyReleaseEvent(event);
    m_pHost->OnGridKeyUpHook(*event);
}

void CGridEdit::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        m_pHost->OnEditLButtonDown(*event);
    QLineEdit::mousePressEvent(event);
}

void CGridEdit::mouseMoveEvent(QMouseEvent* event) {
    QLineEdit::mouseMoveEvent(event);
    m_pHost->OnEditMouseMove(*event);
}

void CGridEdit::mouseReleaseEvent(QMouseEvent* event) {
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        m_pHost->OnEditLButtonUp(*event);
}

void CGridEdit::focusInEvent(QFocusEvent* event) {
    QLineEdit::focusInEvent(event);
    SetSel(0, -1);
}

// A context menu taking the focus keeps the selection, or its Copy would have nothing to copy.
void CGridEdit::focusOutEvent(QFocusEvent* event) {
    if (event->reason() != Qt::PopupFocusReason)
        SetSel(0, 0);
    QLineEdit::focusOutEvent(event);
}
