// The grid's private clipboard block: a 32-bit little-endian flag (1: a rectangle of cells,
// 0: a run in reading order) followed by the cells' text in UTF-8 and a terminating NUL.
// Whatever is read back from the clipboard may come from any program: it is checked as
// strictly as a file before a paste believes it.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

inline constexpr char kGridMimeType[] = "application/x-kestrin-grid";

// No grid copies anywhere near this much; a bigger block is not one of ours, and a run paste
// would hand all of it to the document as one line.
inline constexpr qsizetype kMaxGridClipBytes = 16 * 1024 * 1024;

struct CGridClip {
    bool bBlock = true;
    QString text;
};

QByteArray EncodeGridClip(const CGridClip& clip);
// None unless the block has the flag 0 or 1, valid UTF-8 (the NUL at its end may be missing)
// and at most kMaxGridClipBytes bytes.
std::optional<CGridClip> DecodeGridClip(const QByteArray& block);
