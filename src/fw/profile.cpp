// The application's profile: settings kept as "section/entry" in an INI file in the user's
// configuration folder (company/application.ini). Before SetRegistryKey there is no profile:
// reading gives the defaults and writing does nothing.
#include <QSettings>

#include "recent_file_list.h"
#include "win_app.h"

namespace {
QString Key(const QString& section, const QString& entry) {
    return section + QLatin1Char('/') + entry;
}
} // namespace

void CWinApp::SetRegistryKey(const QString& company) {
    m_pszRegistryKey = company;
    m_pSettings = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, company,
                                              m_pszAppName);
}

void CWinApp::LoadStdProfileSettings(int maxMRU) {
    m_pRecentFileList = std::make_unique<CRecentFileList>(maxMRU);
    m_pRecentFileList->ReadList(*this);
}

void CWinApp::SaveStdProfileSettings() {
    if (m_pRecentFileList)
        m_pRecentFileList->WriteList(*this);
    if (m_pSettings)
        m_pSettings->sync();
}

int CWinApp::GetProfileInt(const QString& section, const QString& entry, int defaultValue) const {
    if (!m_pSettings)
        return defaultValue;
    bool ok = false;
    const int value = m_pSettings->value(Key(section, entry)).toInt(&ok);
    return ok ? value : defaultValue;
}

QString CWinApp::GetProfileString(const QString& section, const QString& entry,
                                  const QString& defaultValue) const {
    if (!m_pSettings)
        return defaultValue;
    const QVariant value = m_pSettings->value(Key(section, entry));
    if (!value.isValid())
        return defaultValue;
    // An INI value with commas in it reads back as a list.
    if (value.metaType().id() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

bool CWinApp::WriteProfileInt(const QString& section, const QString& entry, int value) {
    if (!m_pSettings)
        return false;
    m_pSettings->setValue(Key(section, entry), value);
    return true;
}

bool CWinApp::WriteProfileString(const QString& section, const QString& entry,
                                 const QString& value) {
    if (!m_pSettings)
        return false;
    if (entry.isNull())
        m_pSettings->remove(section);
    else if (value.isNull())
        m_pSettings->remove(Key(section, entry));
    else
        m_pSettings->setValue(Key(section, entry), value);
    return true;
}
