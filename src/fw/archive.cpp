#include "archive.h"

#include <QIODevice>
#include <QtEndian>
#include <cstring>

CArchive::CArchive(QIODevice* file, Mode mode) : m_file(file), m_mode(mode) {}

qint64 CArchive::BytesLeft() const {
    return m_file->bytesAvailable();
}

bool CArchive::CanRead(std::uint64_t count, qint64 minSize) {
    if (!m_failed && count <= static_cast<std::uint64_t>(BytesLeft() / minSize))
        return true;
    m_failed = true;
    return false;
}

void CArchive::Write(const void* data, qint64 size) {
    if (!m_failed && m_file->write(static_cast<const char*>(data), size) != size)
        m_failed = true;
}

void CArchive::Read(void* data, qint64 size) {
    if (!m_failed && m_file->read(static_cast<char*>(data), size) == size)
        return;
    m_failed = true;
    std::memset(data, 0, size);
}

template <class T> void CArchive::WriteLittle(T value) {
    T little = qToLittleEndian(value);
    Write(&little, sizeof little);
}

template <class T> T CArchive::ReadLittle() {
    T value;
    Read(&value, sizeof value);
    return qFromLittleEndian(value);
}

CArchive& CArchive::operator<<(std::uint8_t value) {
    WriteLittle(value);
    return *this;
}

CArchive& CArchive::operator<<(std::uint16_t value) {
    WriteLittle(value);
    return *this;
}

CArchive& CArchive::operator<<(std::int32_t value) {
    WriteLittle(value);
    return *this;
}

CArchive& CArchive::operator<<(std::uint32_t value) {
    WriteLittle(value);
    return *this;
}

CArchive& CArchive::operator<<(const QByteArray& countedString) {
    const auto length = static_cast<std::uint32_t>(countedString.size());
    if (length < 0xFF) {
        *this << static_cast<std::uint8_t>(length);
    } else if (length < 0xFFFE) {
        *this << std::uint8_t{0xFF} << static_cast<std::uint16_t>(length);
    } else {
        *this << std::uint8_t{0xFF} << std::uint16_t{0xFFFF} << length;
    }
    Write(countedString.constData(), length);
    return *this;
}

CArchive& CArchive::operator>>(std::uint8_t& value) {
    value = ReadLittle<std::uint8_t>();
    return *this;
}

CArchive& CArchive::operator>>(std::uint16_t& value) {
    value = ReadLittle<std::uint16_t>();
    return *this;
}

CArchive& CArchive::operator>>(std::int32_t& value) {
    value = ReadLittle<std::int32_t>();
    return *this;
}

CArchive& CArchive::operator>>(std::uint32_t& value) {
    value = ReadLittle<std::uint32_t>();
    return *this;
}

CArchive& CArchive::operator>>(QByteArray& countedString) {
    std::uint32_t length = ReadLittle<std::uint8_t>();
    if (length == 0xFF) {
        length = ReadLittle<std::uint16_t>();
        if (length == 0xFFFF)
            length = ReadLittle<std::uint32_t>();
    }
    countedString.clear();
    // A length beyond the end of the file is damage, not a reason to allocate it.
    if (m_failed || length > BytesLeft()) {
        m_failed = true;
        return *this;
    }
    countedString.resize(length);
    Read(countedString.data(), length);
    return *this;
}
