// The recent-file list: the paths of the last documents opened or saved, most recent first,
// shown in the File menu in place of the placeholder item ID_FILE_MRU_FILE1 and kept in the
// profile section "Recent File List" as File1, File2, ...
#pragma once

#include <QString>
#include <QStringList>

class CWinApp;

class CRecentFileList {
public:
    explicit CRecentFileList(int size);

    int GetSize() const { return m_nSize; }
    int GetCount() const { return static_cast<int>(m_arrNames.size()); }
    const QString& operator[](int index) const { return m_arrNames[index]; }
    // Puts path first, removing an earlier entry of the same path; the oldest falls off.
    void Add(const QString& path);
    void Remove(int index);
    // The menu text of entry index: "&1 path", long paths shortened in the middle.
    QString GetMenuText(int index) const;

    void ReadList(const CWinApp& app);
    void WriteList(CWinApp& app) const;

private:
    int m_nSize;
    QStringList m_arrNames;
};
