#include "replacing_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstdio>
#include <string>

#include "docfile_version.h"
#include "file_lock_bytes.h"
#include "storage_api.h"

ReplacingFile::ReplacingFile(const QString& target) : m_target(target) {
    // A link stays a link: the file it points to is the one replaced.
    const QFileInfo info(target);
    if (info.isSymLink())
        m_target = info.symLinkTarget();
}

ReplacingFile::~ReplacingFile() {
    if (!m_replaced && !m_temporary.isEmpty())
        QFile::remove(m_temporary);
    if (m_held)
        m_held->Release();
}

HRESULT ReplacingFile::HoldTarget() {
    if (!QFileInfo::exists(m_target))
        return S_OK;
    const std::u16string name = m_target.toStdU16String();
    return CreateILockBytesOnFile(name.c_str(), STGM_READWRITE | STGM_SHARE_EXCLUSIVE, &m_held);
}

HRESULT ReplacingFile::Create(DWORD mode, bool largeSectors, IStorage** storage) {
    const QFileInfo info(m_target);
    HRESULT hr = STG_E_FILEALREADYEXISTS;
    // A name nobody else has taken: the create itself refuses one that exists.
    for (int attempt = 0; attempt < 16 && hr == STG_E_FILEALREADYEXISTS; ++attempt) {
        // One pass over both: a "%2" in the file name stays as it is.
        m_temporary = info.dir().filePath(
            QStringLiteral(".%1.%2.tmp")
                .arg(info.fileName(), QString::number(QRandomGenerator::global()->generate(), 16)));
        const std::u16string name = m_temporary.toStdU16String();
        hr = CreateDocfile(name.c_str(), mode, largeSectors, storage);
    }
    if (FAILED(hr))
        m_temporary.clear();
    return hr;
}

HRESULT ReplacingFile::Replace() {
    if (QFileInfo::exists(m_target))
        QFile::setPermissions(m_temporary, QFile::permissions(m_target));
    if (std::rename(QFile::encodeName(m_temporary).constData(),
                    QFile::encodeName(m_target).constData()) != 0)
        return HresultFromErrno(errno);
    m_replaced = true;
    return S_OK;
}
