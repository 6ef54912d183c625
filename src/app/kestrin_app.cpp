#include "kestrin_app.h"

#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLocale>

#include "about_dialog.h"
#include "child_frame.h"
#include "command_line_info.h"
#include "doc_template.h"
#include "kestrin_doc.h"
#include "kestrin_resources.h"
#include "main_frame.h"
#include "resource_ids.h"
#include "stg_tree_view.h"
#include "strmdef_doc.h"
#include "strmdef_frm.h"
#include "strm_def_view.h"

namespace {
const char kSection[] = "Main Editor";
constexpr int kMaxStrmDefs = 10;
} // namespace

CKestrinApp* KestrinApp() {
    return dynamic_cast<CKestrinApp*>(AfxGetApp());
}

CMainFrame* KestrinMainFrame() {
    return dynamic_cast<CMainFrame*>(AfxGetMainWnd());
}

CKestrinApp::CKestrinApp() {
    OnCommand(ID_APP_ABOUT, &CKestrinApp::OnAppAbout);
}

bool CKestrinApp::InitInstance() {
    // Before any dialog: the standard ones then format numbers, sizes and dates the Japanese
    // way like the rest of the interface, whatever the machine's locale.
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    // Every window without an icon of its own, the main frame and each document window,
    // shows the application's.
    QApplication::setWindowIcon(KestrinIcon());
    SetRegistryKey(QStringLiteral("Morrowfen"));
    LoadStdProfileSettings(10);
    AddDocTemplate(new CMultiDocTemplate(
        IDR_KESTRITYPE, [] { return new CKestrinDoc; }, [] { return new CChildFrame; },
        [] { return new CStgTreeView; }));
    AddDocTemplate(new CMultiDocTemplate(
        IDR_STRMDEFTYPE, [] { return new CStrmDefDoc; }, [] { return new CStrmDefFrm; },
        [] { return new CStrmDefView; }));

    auto* mainFrame = new CMainFrame;
    if (!mainFrame->LoadFrame(IDR_MAINFRAME)) {
        delete mainFrame;
        return false;
    }
    m_pMainWnd = mainFrame;
    mainFrame->DragAcceptFiles(true);

    CCommandLineInfo cmdInfo;
    ParseCommandLine(cmdInfo);
    if (cmdInfo.m_nShellCommand != CCommandLineInfo::FileNew && !ProcessShellCommand(cmdInfo))
        return false;
    mainFrame->show();
    return true;
}

int CKestrinApp::ExitInstance() {
    WriteProfileInt(kSection, QStringLiteral("StrmDefNumber"), m_aStrmDefPath.size());
    for (int i = 0; i < m_aStrmDefPath.size(); ++i)
        WriteProfileString(kSection, QStringLiteral("StrmDefName%1").arg(i), m_aStrmDefPath[i]);
    m_aStrmDefPath.clear();
    return CWinApp::ExitInstance();
}

void CKestrinApp::AddRecentStrmDef(QString& path, bool initial) {
    const QString shortName = QFileInfo(path).completeBaseName();
    if (initial) {
        m_aStrmDefPath.append(path);
        path = shortName;
        return;
    }
    CMainFrame* mainFrame = KestrinMainFrame();
    QComboBox* combo = mainFrame ? mainFrame->GetStrmDefCombo() : nullptr;
    if (!combo)
        return;
    // Exact but without regard to case, as the combo box finds its items.
    for (int i; (i = combo->findText(shortName, Qt::MatchFixedString)) >= 0;) {
        combo->removeItem(i);
        if (i < m_aStrmDefPath.size())
            m_aStrmDefPath.removeAt(i);
    }
    combo->insertItem(0, shortName);
    combo->setCurrentIndex(0);
    m_aStrmDefPath.prepend(path);
    if (combo->count() > kMaxStrmDefs) {
        combo->removeItem(combo->count() - 1);
        m_aStrmDefPath.removeLast();
    }
}

QString CKestrinApp::GetSelectedStrmDef() const {
    CMainFrame* mainFrame = KestrinMainFrame();
    QComboBox* combo = mainFrame ? mainFrame->GetStrmDefCombo() : nullptr;
    const int index = combo ? combo->currentIndex() : -1;
    return index >= 0 && index < m_aStrmDefPath.size() ? m_aStrmDefPath[index] : QString();
}

void CKestrinApp::AddLoadedStrmDef(const QString& path) {
    QString added = path;
    AddRecentStrmDef(added, false);
}

void CKestrinApp::RemoveStrmDef(const QString& path) {
    const int index = m_aStrmDefPath.indexOf(path);
    if (index < 0)
        return;
    m_aStrmDefPath.removeAt(index);
    CMainFrame* mainFrame = KestrinMainFrame();
    if (QComboBox* combo = mainFrame ? mainFrame->GetStrmDefCombo() : nullptr)
        combo->removeItem(index);
}

void CKestrinApp::OnAppAbout() {
    CAboutDlg dialog(m_pMainWnd);
    dialog.exec();
}
