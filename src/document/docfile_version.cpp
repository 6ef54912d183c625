#include "docfile_version.h"

#include <QFile>
#include <QtEndian>

#include "storage_api.h"

bool HasLargeSectors(const QString& path) {
    // The header's major version, a little-endian 16-bit field at offset 0x1A.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(0x1A))
        return false;
    const QByteArray version = file.read(2);
    return version.size() == 2 && qFromLittleEndian<quint16>(version.constData()) == 4;
}

HRESULT CreateDocfile(const OLECHAR* name, DWORD mode, bool largeSectors, IStorage** storage) {
    if (!largeSectors)
        return StgCreateDocfile(name, mode, 0, storage);
    STGOPTIONS options{1, 0, 4096, nullptr};
    return StgCreateStorageEx(name, mode, STGFMT_DOCFILE, 0, &options, nullptr, IID_IStorage,
                              reinterpret_cast<void**>(storage));
}
