// The in-place editor laid over the grid's current cell: a frameless single-line edit. What is
// typed reaches the cell only through the host (and so the document) when the editor commits;
// the keys and clicks it receives drive the grid through the host's hooks.
#pragma once

#include <QLineEdit>

#include "grid_edit_host.h"
#include "grid_host.h"

class CGridEdit : public QLineEdit, public CGridEditor {
public:
    CGridEdit(QWidget* parent, CGridEditHost* pHost);

    // CGridEditor: the grid moves the editor from cell to cell through these.
    void SetFont(const QFont& font) override;
    void SetText(const QString& text) override;
    void SetCell(int nRow, int nCol) override;
    void SetCellFormat(UINT nStyle, int nLimit) override;
    void ShowWindow(int nCmdShow) override;
    void MoveWindow(const CRect& rect) override;
    // Hands the text to the host when the user changed it since it was loaded or committed.
    void Commit() override;

    void SetSel(int nStart, int nEnd) override;
    int GetRow() const { return m_nRow; }
    int GetCol() const { return m_nCol; }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void FilterHex();
    void ApplyLimit(int nTextLength);

    int m_nRow = 0;
    int m_nCol = 0;
    CGridEditHost* m_pHost;
    QString m_strRestore;
    UINT m_nStyle = 0;
    int m_nLimit = 0;
};
