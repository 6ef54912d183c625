// The view that dumps the current stream one 256-byte page at a time and lists the elements
// of the current storage. The document turns the cell texts that view hands it into bytes
// (cells of other views are not bytes of the stream) and switches its list style.
#pragma once

#include "ole_types.h"

// The list styles of the element list; the values are those stored with the commands.
constexpr DWORD LVS_ICON = 0;
constexpr DWORD LVS_REPORT = 1;
constexpr DWORD LVS_SMALLICON = 2;
constexpr DWORD LVS_TYPEMASK = 3;

// The bytes of one page; pages start at its multiples.
constexpr ULONGLONG kPageBytes = 256;

class CPageView {
public:
    virtual ~CPageView() = default;
    virtual void SetListStyle(DWORD style) = 0;
    virtual DWORD GetListStyle() const = 0;
    // True while the hex page shows; false while the element list does.
    virtual bool IsHexMode() const = 0;
    // Makes the byte at index (0 to 255) of the page shown the current cell.
    virtual void SetCurrentByte(int index) = 0;
    // Tints the count bytes from start wherever they lie on the pages shown, from now on;
    // a count of 0 tints none.
    virtual void MarkBytes(ULONGLONG start, ULONGLONG count) = 0;
};
