// An archive: the byte form a document's Serialize reads and writes. Integers are
// little-endian; a counted string is its length (one byte below 255; else 0xFF and a 16-bit
// length below 0xFFFE; else 0xFF, 0xFFFF and a 32-bit length) followed by its bytes. Reading
// never throws: a read past the end, or a length longer than the rest of the file, marks
// the archive failed and yields zeros, and the caller asks IsFailed once at the end.
#pragma once

#include <QByteArray>
#include <cstdint>

class QIODevice;
class CDocument;

class CArchive {
public:
    enum Mode { store = 0, load = 1 };

    CArchive(QIODevice* file, Mode mode);

    bool IsLoading() const { return m_mode == load; }
    bool IsStoring() const { return m_mode == store; }
    bool IsFailed() const { return m_failed; }
    // Marks the archive failed: what a reader does when the bytes contradict themselves.
    void SetFailed() { m_failed = true; }

    // The bytes a loading archive has not read yet.
    qint64 BytesLeft() const;
    // Whether count records of at least minSize (> 0) bytes each can still be read. When they
    // cannot, the archive is marked failed: a count a damaged file claims never sizes an
    // allocation or a loop.
    bool CanRead(std::uint64_t count, qint64 minSize);

    void Write(const void* data, qint64 size);
    // Reads exactly size bytes, or marks the archive failed and clears data.
    void Read(void* data, qint64 size);

    CArchive& operator<<(std::uint8_t value);
    CArchive& operator<<(std::uint16_t value);
    CArchive& operator<<(std::int32_t value);
    CArchive& operator<<(std::uint32_t value);
    CArchive& operator<<(const QByteArray& countedString);
    CArchive& operator>>(std::uint8_t& value);
    CArchive& operator>>(std::uint16_t& value);
    CArchive& operator>>(std::int32_t& value);
    CArchive& operator>>(std::uint32_t& value);
    CArchive& operator>>(QByteArray& countedString);

    CDocument* m_pDocument = nullptr;

private:
    template <class T> void WriteLittle(T value);
    template <class T> T ReadLittle();

    QIODevice* m_file;
    Mode m_mode;
    bool m_failed = false;
};
