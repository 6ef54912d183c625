// The one-byte edit dialog: a 64-bit position and a byte value, both in hexadecimal. A
// position at or past the stream's end is confirmed first, since the write grows the stream.
#pragma once

#include <QDialog>

#include "ole_types.h"

class QLineEdit;

class CByteEditDlg : public QDialog {
public:
    explicit CByteEditDlg(QWidget* parent = nullptr);

    // Shows both fields at "0"; QDialog::Accepted with the results set.
    int DoModal();

    // Input.
    ULONGLONG m_ullStreamSize = 0;
    // Results.
    ULONGLONG m_ullPosition = 0;
    BYTE m_byValue = 0;

    QLineEdit* GetPositionEdit() const { return m_position; }
    QLineEdit* GetValueEdit() const { return m_value; }

    void accept() override;

private:
    QLineEdit* m_position;
    QLineEdit* m_value;
};
