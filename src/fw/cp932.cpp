#include "cp932.h"

#include <cerrno>
#include <iconv.h>
#include <vector>

namespace {

// One converter for the thread, opened on first use; iconv_open is costly next to one name.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool IsOpen() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    std::optional<QByteArray> Convert(QStringView text) {
        if (!IsOpen())
            return std::nullopt;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr); // back to the initial state
        // Two bytes a character at most, plus room for a closing shift sequence.
        QByteArray out(text.size() * 2 + 4, Qt::Uninitialized);
        auto* in = const_cast<char*>(reinterpret_cast<const char*>(text.utf16()));
        std::size_t inLeft = static_cast<std::size_t>(text.size()) * 2;
        char* at = out.data();
        std::size_t outLeft = static_cast<std::size_t>(out.size());
        if (iconv(m_cd, &in, &inLeft, &at, &outLeft) == static_cast<std::size_t>(-1) ||
            iconv(m_cd, nullptr, nullptr, &at, &outLeft) == static_cast<std::size_t>(-1))
            return std::nullopt;
        out.truncate(at - out.data());
        return out;
    }

    // Decodes as far as it can; returns the bytes left at the first one that does not decode.
    QByteArrayView Decode(QByteArrayView bytes, QString& out) {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        // One UTF-16 unit a byte at most.
        std::vector<char16_t> buffer(static_cast<std::size_t>(bytes.size()) + 1);
        auto* in = const_cast<char*>(bytes.data());
        std::size_t inLeft = static_cast<std::size_t>(bytes.size());
        auto* at = reinterpret_cast<char*>(buffer.data());
        std::size_t outLeft = buffer.size() * sizeof(char16_t);
        iconv(m_cd, &in, &inLeft, &at, &outLeft);
        out += QStringView(buffer.data(), (reinterpret_cast<char16_t*>(at) - buffer.data()));
        return bytes.last(static_cast<qsizetype>(inLeft));
    }

private:
    iconv_t m_cd;
};

} // namespace

std::optional<QByteArray> ToCp932(QStringView text) {
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the converter reads UTF-16LE");
    thread_local Converter converter("CP932", "UTF-16LE");
    return converter.Convert(text);
}

QString FromCp932(QByteArrayView bytes, QChar replacement) {
    thread_local Converter converter("UTF-16LE", "CP932");
    QString text;
    if (!converter.IsOpen())
        return QString(bytes.size(), replacement);
    while (!bytes.isEmpty()) {
        bytes = converter.Decode(bytes, text);
        if (!bytes.isEmpty()) {
            text += replacement;
            bytes = bytes.sliced(1);
        }
    }
    return text;
}
