// The go-to-position dialog: a position in the current stream, in hexadecimal (as every
// position in the program) or decimal. A position at or past the stream's end is refused.
#pragma once

#include <QDialog>

#include "ole_types.h"

class QLineEdit;
class QRadioButton;

class CGotoPositionDlg : public QDialog {
public:
    explicit CGotoPositionDlg(QWidget* parent = nullptr);

    int DoModal();

    // Input.
    ULONGLONG m_ullStreamSize = 0;
    // Result.
    ULONGLONG m_ullPosition = 0;

    QLineEdit* GetPositionEdit() const { return m_position; }
    QRadioButton* GetDecimalButton() const { return m_decimal; }

    void accept() override;

private:
    void FilterDigits();

    QLineEdit* m_position;
    QRadioButton* m_hexadecimal;
    QRadioButton* m_decimal;
};
