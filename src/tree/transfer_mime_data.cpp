#include "transfer_mime_data.h"

#include <utility>

CTransferMimeData::CTransferMimeData(HGLOBAL image, QObject* sourceView, QStringList sourcePath)
    : m_image(image), m_sourceView(sourceView), m_sourcePath(std::move(sourcePath)) {}

CTransferMimeData::~CTransferMimeData() {
    if (m_image)
        GlobalFree(m_image);
}

QStringList CTransferMimeData::formats() const {
    return m_image ? QStringList{QString::fromLatin1(kElementMimeType)} : QStringList{};
}

bool CTransferMimeData::hasFormat(const QString& mimeType) const {
    return m_image && mimeType == QLatin1String(kElementMimeType);
}

QVariant CTransferMimeData::retrieveData(const QString& mimeType, QMetaType) const {
    if (!hasFormat(mimeType))
        return {};
    const auto* bytes = static_cast<const char*>(GlobalLock(m_image));
    const auto size = static_cast<qsizetype>(GlobalSize(m_image));
    GlobalUnlock(m_image);
    return QByteArray::fromRawData(bytes, size);
}
