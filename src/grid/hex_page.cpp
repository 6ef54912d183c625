#include "hex_page.h"

#include <QByteArray>

#include "cp932.h"
#include "grid_texts.h"

namespace {

constexpr int kOffsetColWidth = 125;
constexpr int kByteColWidth = 20;
constexpr int kTextColWidth = 120;
constexpr int kRowHeight = 18;
// The half-width middle dot: code page 932's 0xA5.
constexpr char16_t kMiddleDot = u'\uFF65';

QString OffsetText(ULONGLONG offset) {
    return QString::asprintf("%08X %08X", static_cast<unsigned>(offset >> 32),
                             static_cast<unsigned>(offset & 0xFFFFFFFFu));
}

void SetCell(CGrid& grid, int row, int col, UINT style, const QString& text) {
    grid.SetRow(row);
    grid.SetCol(col);
    grid.SetStyle(style);
    grid.SetText(text);
}

} // namespace

void LayoutHexGrid(CGrid& grid) {
    grid.SetColCount(kHexTextCol + 1);
    grid.SetRowCount(kHexRowBytes + 1);
    grid.SetColWidth(0, kOffsetColWidth);
    grid.SetColWidth(kHexTextCol, kTextColWidth);
    for (int row = 0; row <= kHexRowBytes; ++row)
        grid.SetRowHeight(row, kRowHeight);
    SetCell(grid, 0, 0, GCS_COLHEAD | GCS_ROWHEAD, QString());
    for (int col = 1; col <= kHexRowBytes; ++col)
        SetCell(grid, 0, col, GCS_COLHEAD, QString::asprintf("%02X", col - 1));
    SetCell(grid, 0, kHexTextCol, GCS_COLHEAD | GCS_RIGHTLINE,
            QString::fromUtf8(kTextColumnHeading));
    for (int row = 1; row <= kHexRowBytes; ++row) {
        const UINT bottom = row == kHexRowBytes ? GCS_BOTTOMLINE : 0;
        SetCell(grid, row, 0, GCS_ROWHEAD | bottom, OffsetText((row - 1) * kHexRowBytes));
        for (int col = 1; col <= kHexRowBytes; ++col) {
            SetCell(grid, row, col, GCS_EDIT | GCS_HEX | bottom, QString());
            grid.SetLimitText(2);
        }
        SetCell(grid, row, kHexTextCol, GCS_RIGHTLINE | GCS_DOUBLELEFT | bottom, QString());
    }
}

void FillHexPage(CGrid& grid, ULONGLONG offset, const BYTE* bytes, ULONG count) {
    for (int row = 1; row <= kHexRowBytes; ++row) {
        const ULONG start = static_cast<ULONG>(row - 1) * kHexRowBytes;
        grid.SetCellText(row, 0, OffsetText(offset + start));
        const ULONG inRow = count > start ? std::min<ULONG>(count - start, kHexRowBytes) : 0;
        for (int col = 1; col <= kHexRowBytes; ++col) {
            const ULONG index = static_cast<ULONG>(col - 1);
            grid.SetCellText(row, col,
                             index < inRow ? QString::asprintf("%02X", bytes[start + index])
                                           : QString());
        }
        grid.SetCellText(row, kHexTextCol, HexRowText(bytes + start, inRow));
    }
}

void MarkHexBytes(CGrid& grid, ULONGLONG offset, ULONG count, ULONGLONG markStart,
                  ULONGLONG markCount) {
    for (int index = 0; index < kHexPageSize; ++index) {
        const ULONGLONG at = offset + static_cast<ULONGLONG>(index);
        const bool marked =
            static_cast<ULONG>(index) < count && at >= markStart && at - markStart < markCount;
        UINT& style = grid.Cell(index / kHexRowBytes + 1, index % kHexRowBytes + 1).m_nStyle;
        style = marked ? style | GCS_TINT : style & ~GCS_TINT;
    }
}

// A control byte is never read as part of a two-byte character, and a character of the
// user-defined area (which no font has) shows as two dots, as wide as its two bytes.
QString HexRowText(const BYTE* bytes, ULONG count) {
    QString text;
    QByteArray run;
    const auto flush = [&] {
        for (const QChar ch : FromCp932(run, QChar(kMiddleDot)))
            text += ch.category() == QChar::Other_PrivateUse ? QString(2, QChar(kMiddleDot))
                                                             : QString(ch);
        run.clear();
    };
    for (ULONG i = 0; i < count && i < kHexRowBytes; ++i) {
        if (bytes[i] < 0x20 || bytes[i] == 0x7F) {
            flush();
            text += QChar(kMiddleDot);
        } else {
            run += static_cast<char>(bytes[i]);
        }
    }
    flush();
    return text + QString(kHexRowBytes - std::min<ULONG>(count, kHexRowBytes), u' ');
}
