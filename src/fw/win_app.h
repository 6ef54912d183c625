// The application object: one per program. It registers the document templates, creates the
// main frame in InitInstance, runs the event loop and cleans up in ExitInstance. It is the
// last stop of the command route (New, Open, recent files, Exit), keeps the recent-file list
// and reads and writes the profile: a QSettings INI file in the user's configuration folder,
// under the company name SetRegistryKey gives and the application's name.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "cmd_target.h"

class QObject;
class QSettings;
class CCommandLineInfo;
class CDocTemplate;
class CDocument;
class CMDIFrameWnd;
class CRecentFileList;

class CWinApp : public CCmdTarget {
public:
    // The name is the application title, string AFX_IDS_APP_TITLE when not given.
    explicit CWinApp(const QString& appName = {});
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual bool InitInstance();
    // Saves the recent-file list; the result is the program's exit code.
    virtual int ExitInstance();
    // InitInstance, the event loop, ExitInstance.
    int Run();
    // The application has nothing to do: toolbars follow the state.
    virtual void OnIdle();

    void AddDocTemplate(CDocTemplate* docTemplate);
    const std::vector<std::unique_ptr<CDocTemplate>>& GetDocTemplates() const {
        return m_templates;
    }
    // Opens path with the best matching template; a document already open on it is brought
    // to the front instead. Null on failure.
    virtual CDocument* OpenDocumentFile(const QString& path);
    bool SaveAllModified();
    void CloseAllDocuments();
    // Asks for a file name; for saving, the template's filter comes first.
    bool DoPromptFileName(QString& fileName, UINT titleId, unsigned flags, bool openFileDialog,
                          CDocTemplate* docTemplate);

    void ParseCommandLine(CCommandLineInfo& info) const;
    bool ProcessShellCommand(const CCommandLineInfo& info);

    void SetRegistryKey(const QString& company);
    void LoadStdProfileSettings(int maxMRU);
    int GetProfileInt(const QString& section, const QString& entry, int defaultValue) const;
    QString GetProfileString(const QString& section, const QString& entry,
                             const QString& defaultValue = {}) const;
    bool WriteProfileInt(const QString& section, const QString& entry, int value);
    // A null value removes the entry; a null entry removes the whole section.
    bool WriteProfileString(const QString& section, const QString& entry, const QString& value);

    void AddToRecentFileList(const QString& path);
    CRecentFileList* GetRecentFileList() const { return m_pRecentFileList.get(); }

    QString m_pszAppName;
    QString m_pszRegistryKey;
    QStringList m_lpCmdLine; // the arguments after the program's name
    CMDIFrameWnd* m_pMainWnd = nullptr;

protected:
    void OnFileNew();
    void OnFileOpen();
    void OnAppExit();
    void OnOpenRecentFile(UINT id);
    void OnUpdateRecentFileMenu(CCmdUI* ui);

private:
    void SaveStdProfileSettings();

    std::vector<std::unique_ptr<CDocTemplate>> m_templates;
    std::unique_ptr<QSettings> m_pSettings;
    std::unique_ptr<CRecentFileList> m_pRecentFileList;
    std::unique_ptr<QObject> m_idleHook;
    int m_nExitCode = 0;
};

CWinApp* AfxGetApp();
CMDIFrameWnd* AfxGetMainWnd();
