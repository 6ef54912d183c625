#include "goto_position_dlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "beep.h"
#include "dialog_buttons.h"
#include "dialog_texts.h"
#include "hex_input.h"
#include "message_box.h"
#include "modal_dialog.h"
#include "size_text.h"

namespace {

constexpr int kHexDigits = 16;
constexpr int kDecimalDigits = 20;

} // namespace

CGotoPositionDlg::CGotoPositionDlg(QWidget* parent)
    : QDialog(parent), m_position(new QLineEdit(this)),
      m_hexadecimal(new QRadioButton(QString::fromUtf8(kGotoHexadecimal), this)),
      m_decimal(new QRadioButton(QString::fromUtf8(kGotoDecimal), this)) {
    setWindowTitle(QString::fromUtf8(kGotoTitle));
    m_hexadecimal->setChecked(true);
    m_position->setMinimumWidth(
        m_position->fontMetrics().horizontalAdvance(QString(kDecimalDigits, u'0')) + 12);
    connect(m_position, &QLineEdit::textEdited, this, [this] { FilterDigits(); });
    connect(m_decimal, &QRadioButton::toggled, this, [this] {
        m_position->clear();
        m_position->setMaxLength(m_decimal->isChecked() ? kDecimalDigits : kHexDigits);
    });
    m_position->setMaxLength(kHexDigits);
    auto* bases = new QHBoxLayout;
    bases->addWidget(m_hexadecimal);
    bases->addWidget(m_decimal);
    auto* column = new QVBoxLayout(this);
    column->addWidget(m_position);
    column->addLayout(bases);
    column->addWidget(OkCancelButtons(this));
}

int CGotoPositionDlg::DoModal() {
    m_position->setFocus();
    return ::DoModal(*this);
}

// Keeps the leading run of digits of the chosen base, beeping when anything was cut.
void CGotoPositionDlg::FilterDigits() {
    const QString typed = m_position->text();
    qsizetype run = LeadingHexLength(typed);
    if (m_decimal->isChecked())
        run = std::find_if_not(typed.begin(), typed.end(), [](QChar ch) { return ch.isDigit(); }) -
              typed.begin();
    if (run == typed.size())
        return;
    MessageBeep(MB_ICONASTERISK);
    m_position->setText(typed.left(run));
}

void CGotoPositionDlg::accept() {
    const QString text = m_position->text();
    // Twenty decimal digits can say more than 64 bits hold: such a position lies past any end.
    bool fits = true;
    m_ullPosition = m_decimal->isChecked() ? text.toULongLong(&fits) : HexValue(text);
    if (!fits || m_ullPosition >= m_ullStreamSize) {
        AfxMessageBox(QString::fromUtf8(kPositionBeyondEnd), MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    QDialog::accept();
}
