// The program's settings in a scratch folder, never the user's own, with its resources.
#pragma once

#include <QSettings>
#include <QTemporaryDir>

#include "kestrin_resources.h"
#include "resources.h"

inline void UseScratchProfile(const QTemporaryDir& dir) {
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    AfxSetResources(&KestrinResources());
}
