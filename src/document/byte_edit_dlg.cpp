#include "byte_edit_dlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

#include "dialog_buttons.h"
#include "dialog_texts.h"
#include "hex_input.h"
#include "message_box.h"
#include "modal_dialog.h"
#include "size_text.h"

namespace {

constexpr int kPositionDigits = 16;
constexpr int kValueDigits = 2;

QString High(ULONGLONG value) {
    return QString::asprintf("%08X", static_cast<unsigned>(value >> 32));
}

QString Low(ULONGLONG value) {
    return QString::asprintf("%08X", static_cast<unsigned>(value & 0xFFFFFFFFu));
}

} // namespace

CByteEditDlg::CByteEditDlg(QWidget* parent)
    : QDialog(parent), m_position(new QLineEdit(this)), m_value(new QLineEdit(this)) {
    setWindowTitle(QString::fromUtf8(kByteEditTitle));
    m_position->setMaxLength(kPositionDigits);
    m_value->setMaxLength(kValueDigits);
    FilterHexInput(m_position);
    FilterHexInput(m_value);
    auto* form = new QFormLayout(this);
    form->addRow(new QLabel(QString::fromUtf8(kByteEditHint), this));
    form->addRow(QString::fromUtf8(kPositionLabel), m_position);
    form->addRow(QString::fromUtf8(kValueLabel), m_value);
    form->addRow(OkCancelButtons(this));
}

int CByteEditDlg::DoModal() {
    m_position->setText(QStringLiteral("0"));
    m_value->setText(QStringLiteral("0"));
    m_position->setFocus();
    m_position->selectAll();
    return ::DoModal(*this);
}

void CByteEditDlg::accept() {
    m_byValue = static_cast<BYTE>(HexValue(m_value->text()) & 0xFF);
    m_ullPosition = HexValue(m_position->text());
    if (m_ullPosition >= m_ullStreamSize) {
        const QString question = QString::fromUtf8(kBeyondSizeQuestion)
                                     .arg(High(m_ullPosition), Low(m_ullPosition),
                                          High(m_ullStreamSize), Low(m_ullStreamSize));
        if (AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
    }
    QDialog::accept();
}
