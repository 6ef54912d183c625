// Writing and checking the grid's private clipboard block.
#include "grid_clip_format.h"

#include <QStringDecoder>
#include <QtEndian>

namespace {
constexpr qsizetype kFlagSize = 4;
}

QByteArray EncodeGridClip(const CGridClip& clip) {
    QByteArray block(kFlagSize, '\0');
    qToLittleEndian<quint32>(clip.bBlock ? 1 : 0, block.data());
    block += clip.text.toUtf8();
    block += '\0';
    return block;
}

std::optional<CGridClip> DecodeGridClip(const QByteArray& block) {
    if (block.size() < kFlagSize || block.size() > kMaxGridClipBytes)
        return std::nullopt;
    const quint32 flag = qFromLittleEndian<quint32>(block.constData());
    if (flag > 1)
        return std::nullopt;
    QByteArrayView bytes = QByteArrayView(block).sliced(kFlagSize);
    if (bytes.endsWith('\0'))
        bytes.chop(1);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError())
        return std::nullopt;
    return CGridClip{flag == 1, std::move(text)};
}
