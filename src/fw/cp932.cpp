#include "cp932.h"

#include <cerrno>
#include <iconv.h>

namespace {

// One converter for the thread, opened on first use; iconv_open is costly next to one name.
class Converter {
public:
    Converter() : m_cd(iconv_open("CP932", "UTF-16LE")) {}
    ~Converter() {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    std::optional<QByteArray> Convert(QStringView text) {
        if (m_cd == reinterpret_cast<iconv_t>(-1))
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

private:
    iconv_t m_cd;
};

} // namespace

std::optional<QByteArray> ToCp932(QStringView text) {
    static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN, "the converter reads UTF-16LE");
    thread_local Converter converter;
    return converter.Convert(text);
}
