// The hex dump's grid: a header row of byte columns 00 to 0F, then 16 rows of one 16-byte
// line of the page each, with the line's offset on the left and its bytes as text on the
// right. Every byte cell is edited in place as two hexadecimal digits.
#pragma once

#include "grid.h"
#include "ole_types.h"

constexpr int kHexPageSize = 256;
constexpr int kHexRowBytes = 16;
// The text column's column index.
constexpr int kHexTextCol = kHexRowBytes + 1;

void LayoutHexGrid(CGrid& grid);
// Shows count bytes (at most a page) read at the 64-bit offset; the cells past them are empty.
void FillHexPage(CGrid& grid, ULONGLONG offset, const BYTE* bytes, ULONG count);
// One line's bytes as text: code page 932, with control bytes (DEL too), bytes that start
// no character and user-defined characters as half-width middle dots, one a byte, and a
// space for each byte past the end.
// Tints the byte cells of a page at offset holding count bytes that lie in the run of
// markCount bytes from markStart, and clears the tint of the others.
void MarkHexBytes(CGrid& grid, ULONGLONG offset, ULONG count, ULONGLONG markStart,
                  ULONGLONG markCount);
QString HexRowText(const BYTE* bytes, ULONG count);
