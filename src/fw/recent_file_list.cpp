#include "recent_file_list.h"

#include <QDir>
#include <QFileInfo>

#include "win_app.h"

namespace {

const char kSection[] = "Recent File List";
constexpr int kMaxDisplayLength = 30;

QString Entry(int index) {
    return QStringLiteral("File%1").arg(index + 1);
}

// A long path keeps its first folder and its file name: "/home/.../name.stm".
QString AbbreviateName(const QString& path) {
    const QString native = QDir::toNativeSeparators(path);
    if (native.size() <= kMaxDisplayLength)
        return native;
    const QString name = QFileInfo(path).fileName();
    const int firstFolderEnd = native.indexOf(QDir::separator(), 1);
    const QString shortened =
        native.left(firstFolderEnd + 1) + QStringLiteral("...") + QDir::separator() + name;
    return firstFolderEnd > 0 && shortened.size() <= kMaxDisplayLength ? shortened : name;
}

} // namespace

CRecentFileList::CRecentFileList(int size) : m_nSize(size) {}

void CRecentFileList::Add(const QString& path) {
    m_arrNames.removeAll(path);
    m_arrNames.prepend(path);
    while (m_arrNames.size() > m_nSize)
        m_arrNames.removeLast();
}

void CRecentFileList::Remove(int index) {
    if (index >= 0 && index < m_arrNames.size())
        m_arrNames.removeAt(index);
}

QString CRecentFileList::GetMenuText(int index) const {
    QString name = AbbreviateName(m_arrNames[index]);
    name.replace(QLatin1Char('&'), QLatin1String("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(name);
}

void CRecentFileList::ReadList(const CWinApp& app) {
    m_arrNames.clear();
    for (int i = 0; i < m_nSize; ++i) {
        QString path = app.GetProfileString(kSection, Entry(i));
        if (!path.isEmpty())
            m_arrNames.append(path);
    }
}

void CRecentFileList::WriteList(CWinApp& app) const {
    app.WriteProfileString(kSection, QString(), QString());
    for (int i = 0; i < m_arrNames.size(); ++i)
        app.WriteProfileString(kSection, Entry(i), m_arrNames[i]);
}
