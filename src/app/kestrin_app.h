// The application object: start-up and exit, the two document templates, the list of
// recently used stream definitions and the count of open child frames.
#pragma once

#include <QStringList>

#include "recent_strmdefs.h"
#include "win_app.h"

class CMainFrame;

class CKestrinApp : public CWinApp, public CRecentStrmDefs {
public:
    CKestrinApp();

    bool InitInstance() override;
    int ExitInstance() override;

    // Puts a stream definition at the top of the recent list. initial (reading the profile
    // at start): appends path to the list and turns path into its short name for the
    // caller's combo box. Otherwise the main frame's combo box and the list change together:
    // items of the same short name (in any case) go, the new one comes first, at most 10.
    void AddRecentStrmDef(QString& path, bool initial);
    QString GetSelectedStrmDef() const override;
    void AddLoadedStrmDef(const QString& path) override;
    void RemoveStrmDef(const QString& path) override;

    QStringList m_aStrmDefPath; // full paths, most recent first, parallel to the combo box
    int m_nChildFrames = 0;     // child frames in existence, of both kinds

private:
    void OnAppAbout();
};

// The application, when it is Kestrin's.
CKestrinApp* KestrinApp();
// The main frame, when it is Kestrin's.
CMainFrame* KestrinMainFrame();
