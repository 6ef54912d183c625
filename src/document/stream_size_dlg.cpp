#include "stream_size_dlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "dialog_buttons.h"
#include "dialog_texts.h"
#include "hex_input.h"
#include "message_box.h"
#include "modal_dialog.h"
#include "platform_setup.h"
#include "size_text.h"

namespace {

constexpr int kHexDigits = 16;

constexpr int kDecimalDigits = 20;

// Wide enough for the longest size: 20 decimal or 16 hexadecimal digits.
QLineEdit* SizeField(QWidget* parent, bool readOnly) {
    auto* edit = new QLineEdit(parent);
    edit->setAlignment(Qt::AlignRight);
    edit->setReadOnly(readOnly);
    const QString widest(kDecimalDigits, u'0');
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(widest) + 12);
    return edit;
}

QLabel* Label(const char* text, QWidget* parent) {
    return new QLabel(QString::fromUtf8(text), parent);
}

} // namespace

CStreamSizeDlg::CStreamSizeDlg(QWidget* parent)
    : QDialog(parent), m_name(new QLineEdit(this)), m_currentDecimal(SizeField(this, true)),
      m_currentHex(SizeField(this, true)), m_currentMegabytes(SizeField(this, true)),
      m_newDecimal(SizeField(this, false)), m_newHex(SizeField(this, false)),
      m_newMegabytes(SizeField(this, true)) {
    setWindowTitle(QString::fromUtf8(kStreamSizeTitle));
    LOGFONT logFont;
    logFont.lfHeight = -12;
    logFont.lfFaceName = QStringLiteral("ＭＳ Ｐゴシック");
    setFont(CreateFontIndirect(logFont));
    m_name->setReadOnly(true);
    m_currentHex->setMaxLength(kHexDigits);
    m_newHex->setMaxLength(kHexDigits);
    auto* grid = new QGridLayout(this);
    grid->addWidget(Label(kStreamNameLabel, this), 0, 0);
    grid->addWidget(m_name, 0, 1, 1, 3);
    grid->addWidget(Label(kDecimalHeading, this), 1, 1);
    grid->addWidget(Label(kHexadecimalHeading, this), 1, 2);
    grid->addWidget(Label(kMegabyteLabel, this), 1, 3);
    grid->addWidget(Label(kCurrentSizeLabel, this), 2, 0);
    grid->addWidget(m_currentDecimal, 2, 1);
    grid->addWidget(m_currentHex, 2, 2);
    grid->addWidget(m_currentMegabytes, 2, 3);
    grid->addWidget(Label(kNewSizeLabel, this), 3, 0);
    grid->addWidget(m_newDecimal, 3, 1);
    grid->addWidget(m_newHex, 3, 2);
    grid->addWidget(m_newMegabytes, 3, 3);
    grid->addWidget(OkCancelButtons(this), 4, 0, 1, 4);
    FilterHexInput(m_newHex);
    connect(m_newDecimal, &QLineEdit::textEdited, this, [this] { ShowNewSize(m_newDecimal); });
    connect(m_newHex, &QLineEdit::textEdited, this, [this] { ShowNewSize(m_newHex); });
    setTabOrder(m_newDecimal, m_newHex);
}

int CStreamSizeDlg::DoModal() {
    OnInitDialog();
    return ::DoModal(*this);
}

void CStreamSizeDlg::OnInitDialog() {
    m_name->setText(m_strName);
    m_ullNewSize = m_ullCurrentSize;
    m_currentDecimal->setText(DecimalText(m_ullCurrentSize));
    m_currentHex->setText(HexText(m_ullCurrentSize));
    m_currentMegabytes->setText(MegabyteText(m_ullCurrentSize));
    m_newDecimal->setText(DecimalText(m_ullNewSize));
    m_newHex->setText(HexText(m_ullNewSize));
    m_newMegabytes->setText(MegabyteText(m_ullNewSize));
    m_newDecimal->setFocus();
}

// The field typed into keeps its text; the others follow it.
void CStreamSizeDlg::ShowNewSize(const QLineEdit* typedInto) {
    const bool decimal = typedInto == m_newDecimal;
    m_ullNewSize = decimal ? DecimalValue(m_newDecimal->text()) : HexValue(m_newHex->text());
    if (decimal)
        m_newHex->setText(HexText(m_ullNewSize));
    else
        m_newDecimal->setText(DecimalText(m_ullNewSize));
    m_newMegabytes->setText(MegabyteText(m_ullNewSize));
}

void CStreamSizeDlg::accept() {
    if (m_ullNewSize < m_ullCurrentSize &&
        AfxMessageBox(QString::fromUtf8(kDataLossQuestion), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    QDialog::accept();
}
