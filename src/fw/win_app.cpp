#include "win_app.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QSettings>

#include "cmd_ui.h"
#include "command_line_info.h"
#include "doc_template.h"
#include "document.h"
#include "file_dialog.h"
#include "mdi_child_wnd.h"
#include "mdi_frame_wnd.h"
#include "menu.h"
#include "message_box.h"
#include "new_type_chooser.h"
#include "recent_file_list.h"
#include "resources.h"
#include "view.h"

namespace {
CWinApp* g_app = nullptr;
}

CWinApp* AfxGetApp() {
    return g_app;
}

CMDIFrameWnd* AfxGetMainWnd() {
    return g_app ? g_app->m_pMainWnd : nullptr;
}

CWinApp::CWinApp(const QString& appName)
    : m_pszAppName(appName.isEmpty() ? AfxLoadString(AFX_IDS_APP_TITLE) : appName),
      m_lpCmdLine(QCoreApplication::arguments().mid(1)), m_idleHook(new QObject) {
    g_app = this;
    QCoreApplication::setApplicationName(m_pszAppName);
    if (auto* dispatcher = QAbstractEventDispatcher::instance())
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, m_idleHook.get(),
                         [this] { OnIdle(); });
    OnCommand(ID_FILE_NEW, &CWinApp::OnFileNew);
    OnCommand(ID_FILE_OPEN, &CWinApp::OnFileOpen);
    OnCommand(ID_APP_EXIT, &CWinApp::OnAppExit);
    OnCommandRange(ID_FILE_MRU_FILE1, ID_FILE_MRU_LAST, &CWinApp::OnOpenRecentFile);
    OnUpdateCommandRange(ID_FILE_MRU_FILE1, ID_FILE_MRU_LAST, &CWinApp::OnUpdateRecentFileMenu);
}

CWinApp::~CWinApp() {
    // What is torn down below must not reach the half-destroyed application.
    if (g_app == this)
        g_app = nullptr;
    m_idleHook.reset();
    CloseAllDocuments();
    delete m_pMainWnd;
    m_pMainWnd = nullptr;
    m_templates.clear();
}

bool CWinApp::InitInstance() {
    return true;
}

int CWinApp::ExitInstance() {
    SaveStdProfileSettings();
    return m_nExitCode;
}

int CWinApp::Run() {
    if (InitInstance())
        m_nExitCode = QApplication::exec();
    return ExitInstance();
}

void CWinApp::OnIdle() {
    // A modal dialog has its own loop: the state behind the toolbars is not settled then.
    if (m_pMainWnd && !QApplication::activeModalWidget())
        m_pMainWnd->OnIdleUpdateCmdUI();
}

void CWinApp::AddDocTemplate(CDocTemplate* docTemplate) {
    m_templates.emplace_back(docTemplate);
}

CDocument* CWinApp::OpenDocumentFile(const QString& path) {
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    CDocTemplate* best = nullptr;
    CDocTemplate::Confidence bestMatch = CDocTemplate::noAttempt;
    CDocument* openDoc = nullptr;
    for (const auto& docTemplate : m_templates) {
        CDocument* match = nullptr;
        CDocTemplate::Confidence confidence = docTemplate->MatchDocType(fullPath, match);
        if (confidence > bestMatch) {
            bestMatch = confidence;
            best = docTemplate.get();
            openDoc = match;
        }
        if (confidence == CDocTemplate::yesAlreadyOpen)
            break;
    }
    if (openDoc) {
        CView* view = openDoc->GetViews().empty() ? nullptr : openDoc->GetViews().front();
        if (auto* frame = view ? dynamic_cast<CMDIChildWnd*>(view->GetParentFrame()) : nullptr)
            frame->ActivateFrame();
        return openDoc;
    }
    if (!best) {
        AfxMessageBox(AfxLoadString(AFX_IDP_FAILED_TO_OPEN_DOC));
        return nullptr;
    }
    return best->OpenDocumentFile(fullPath);
}

bool CWinApp::SaveAllModified() {
    for (const auto& docTemplate : m_templates)
        for (CDocument* doc : docTemplate->GetDocuments())
            if (!doc->SaveModified())
                return false;
    return true;
}

void CWinApp::CloseAllDocuments() {
    for (const auto& docTemplate : m_templates)
        while (!docTemplate->GetDocuments().empty())
            docTemplate->GetDocuments().front()->OnCloseDocument();
}

bool CWinApp::DoPromptFileName(QString& fileName, UINT titleId, unsigned flags, bool openFileDialog,
                               CDocTemplate* docTemplate) {
    CFileDialog dialog(openFileDialog, {}, fileName, flags | OFN_HIDEREADONLY);
    if (!openFileDialog)
        dialog.m_ofn.Flags |= OFN_OVERWRITEPROMPT;
    dialog.m_ofn.lpstrTitle = AfxLoadString(titleId);
    QString filter;
    int templateFilters = 0;
    auto addFilter = [&](const CDocTemplate* t) {
        const QString ext = t->GetDocString(CDocTemplate::filterExt);
        const QString name = t->GetDocString(CDocTemplate::filterName);
        if (ext.isEmpty() || name.isEmpty())
            return;
        filter += name + QStringLiteral("|*") + ext + QLatin1Char('|');
        if (!openFileDialog && dialog.m_ofn.lpstrDefExt.isEmpty())
            dialog.m_ofn.lpstrDefExt = ext.mid(1);
        ++templateFilters;
    };
    if (docTemplate)
        addFilter(docTemplate);
    else
        for (const auto& t : m_templates)
            addFilter(t.get());
    dialog.m_ofn.lpstrFilter = filter + AfxLoadString(AFX_IDS_ALLFILTER) + QStringLiteral("|*.*||");
    // Opening shows every file first: compound files come with any extension. Saving shows
    // the document's own kind first.
    dialog.m_ofn.nFilterIndex = openFileDialog ? templateFilters + 1 : 1;
    if (dialog.DoModal() != IDOK)
        return false;
    fileName = dialog.GetPathName();
    return true;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) const {
    info.Parse(m_lpCmdLine);
}

bool CWinApp::ProcessShellCommand(const CCommandLineInfo& info) {
    switch (info.m_nShellCommand) {
    case CCommandLineInfo::FileNew:
        OnFileNew();
        return true;
    case CCommandLineInfo::FileOpen:
        return OpenDocumentFile(info.m_strFileName) != nullptr;
    case CCommandLineInfo::FileNothing:
        return true;
    }
    return false;
}

void CWinApp::AddToRecentFileList(const QString& path) {
    if (m_pRecentFileList)
        m_pRecentFileList->Add(path);
}

void CWinApp::OnFileNew() {
    std::vector<CDocTemplate*> choices;
    QStringList names;
    for (const auto& t : m_templates) {
        const QString name = t->GetDocString(CDocTemplate::fileNewName);
        if (!name.isEmpty()) {
            choices.push_back(t.get());
            names << name;
        }
    }
    if (choices.empty())
        return;
    const int chosen = choices.size() == 1 ? 0 : ChooseNewType(names);
    if (chosen >= 0 && chosen < static_cast<int>(choices.size()))
        choices[chosen]->OpenDocumentFile({});
}

void CWinApp::OnFileOpen() {
    QString path;
    if (DoPromptFileName(path, AFX_IDS_OPENFILE, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, true,
                         nullptr))
        OpenDocumentFile(path);
}

void CWinApp::OnAppExit() {
    if (m_pMainWnd)
        m_pMainWnd->close();
}

void CWinApp::OnOpenRecentFile(UINT id) {
    const int index = static_cast<int>(id - ID_FILE_MRU_FILE1);
    if (!m_pRecentFileList || index >= m_pRecentFileList->GetCount())
        return;
    // A file that no longer opens leaves the list.
    if (!OpenDocumentFile((*m_pRecentFileList)[index]))
        m_pRecentFileList->Remove(index);
}

void CWinApp::OnUpdateRecentFileMenu(CCmdUI* ui) {
    const int index = static_cast<int>(ui->m_nID - ID_FILE_MRU_FILE1);
    const int count = m_pRecentFileList ? m_pRecentFileList->GetCount() : 0;
    if (ui->m_pAction)
        ui->m_pAction->setVisible(index < count || index == 0);
    if (index < count) {
        ui->SetText(m_pRecentFileList->GetMenuText(index));
        ui->Enable(true);
        return;
    }
    if (index == 0 && ui->m_pAction)
        ui->SetText(ui->m_pAction->property(kRecentPlaceholder).toString());
    ui->Enable(false);
}
