// The stream size dialog: the current stream's size in decimal, hexadecimal and megabytes,
// and a new size typed in decimal or hexadecimal, each field following the other. A smaller
// size is confirmed first, since the bytes past it are lost.
#pragma once

#include <QDialog>

#include "ole_types.h"

class QLineEdit;

class CStreamSizeDlg : public QDialog {
public:
    explicit CStreamSizeDlg(QWidget* parent = nullptr);

    // Fills the fields from the inputs and shows the dialog; QDialog::Accepted with the
    // result in m_ullNewSize.
    int DoModal();

    // Inputs.
    ULONGLONG m_ullCurrentSize = 0;
    QString m_strName;
    // Result.
    ULONGLONG m_ullNewSize = 0;

    QLineEdit* GetNewDecimalEdit() const { return m_newDecimal; }
    QLineEdit* GetNewHexEdit() const { return m_newHex; }
    QLineEdit* GetNewMegabyteEdit() const { return m_newMegabytes; }
    QLineEdit* GetCurrentHexEdit() const { return m_currentHex; }

    void accept() override;

private:
    void OnInitDialog();
    void ShowNewSize(const QLineEdit* typedInto);

    QLineEdit* m_name;
    QLineEdit* m_currentDecimal;
    QLineEdit* m_currentHex;
    QLineEdit* m_currentMegabytes;
    QLineEdit* m_newDecimal;
    QLineEdit* m_newHex;
    QLineEdit* m_newMegabytes;
};
