#include "grid_host.h"

QImage CGridHost::LoadResourceBitmap(UINT nID) {
    return QImage(QStringLiteral(":/images/%1.xpm").arg(nID));
}
