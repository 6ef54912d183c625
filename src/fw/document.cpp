#include "document.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <algorithm>

#include "archive.h"
#include "doc_template.h"
#include "file_dialog.h"
#include "frame_wnd.h"
#include "message_box.h"
#include "resources.h"
#include "view.h"
#include "win_app.h"

CDocument::CDocument() {
    OnCommand(ID_FILE_CLOSE, &CDocument::OnFileClose);
    OnCommand(ID_FILE_SAVE, &CDocument::OnFileSave);
    OnCommand(ID_FILE_SAVE_AS, &CDocument::OnFileSaveAs);
}

CDocument::~CDocument() {
    for (CView* view : m_viewList)
        view->m_pDocument = nullptr;
    if (m_pDocTemplate)
        m_pDocTemplate->RemoveDocument(this);
}

void CDocument::SetTitle(const QString& title) {
    m_strTitle = title;
    UpdateFrameCounts();
}

void CDocument::SetPathName(const QString& path, bool addToMRU) {
    m_strPathName = QFileInfo(path).absoluteFilePath();
    SetTitle(QFileInfo(m_strPathName).fileName());
    if (addToMRU && AfxGetApp())
        AfxGetApp()->AddToRecentFileList(m_strPathName);
}

void CDocument::SetModifiedFlag(bool modified) {
    m_bModified = modified;
}

void CDocument::AddView(CView* view) {
    m_viewList.push_back(view);
    view->m_pDocument = this;
    OnChangedViewList();
}

void CDocument::RemoveView(CView* view) {
    auto found = std::find(m_viewList.begin(), m_viewList.end(), view);
    if (found == m_viewList.end())
        return;
    m_viewList.erase(found);
    view->m_pDocument = nullptr;
    OnChangedViewList();
}

void CDocument::OnChangedViewList() {
    if (m_viewList.empty() && m_bAutoDelete) {
        OnCloseDocument();
        return;
    }
    UpdateFrameCounts();
}

void CDocument::UpdateAllViews(CView* sender, long hint, CObject* hintObject) {
    // A view's update may add or remove views: walk a copy.
    const std::vector<CView*> views = m_viewList;
    for (CView* view : views)
        if (view != sender)
            view->OnUpdate(sender, hint, hintObject);
}

void CDocument::UpdateFrameCounts() {
    std::vector<CFrameWnd*> frames;
    for (CView* view : m_viewList) {
        CFrameWnd* frame = view->GetParentFrame();
        if (frame && std::find(frames.begin(), frames.end(), frame) == frames.end())
            frames.push_back(frame);
    }
    int number = frames.size() > 1 ? 1 : 0;
    for (CFrameWnd* frame : frames) {
        frame->m_nWindow = number ? number++ : 0;
        frame->OnUpdateFrameTitle(true);
    }
}

bool CDocument::OnNewDocument() {
    DeleteContents();
    m_strPathName.clear();
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnOpenDocument(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        AfxMessageBox(AfxLoadString(AFX_IDP_FAILED_TO_OPEN_DOC));
        return false;
    }
    DeleteContents();
    SetModifiedFlag(true); // dirty while it is being read
    CArchive archive(&file, CArchive::load);
    archive.m_pDocument = this;
    Serialize(archive);
    if (archive.IsFailed()) {
        DeleteContents();
        ReportSaveLoadException(path, false, AFX_IDP_FAILED_TO_OPEN_DOC);
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

bool CDocument::OnSaveDocument(const QString& path) {
    // Written beside the file and renamed over it, so a failure leaves the old file whole.
    QSaveFile file(path);
    bool saved = file.open(QIODevice::WriteOnly);
    if (saved) {
        CArchive archive(&file, CArchive::store);
        archive.m_pDocument = this;
        Serialize(archive);
        saved = !archive.IsFailed() && file.commit();
    }
    if (!saved) {
        ReportSaveLoadException(path, true, AFX_IDP_FAILED_TO_SAVE_DOC);
        return false;
    }
    SetModifiedFlag(false);
    return true;
}

void CDocument::ReportSaveLoadException(const QString&, bool, UINT defaultId) {
    AfxMessageBox(AfxLoadString(defaultId));
}

void CDocument::OnCloseDocument() {
    // Frames go first; the document must not delete itself while they let go of it.
    bool autoDelete = m_bAutoDelete;
    m_bAutoDelete = false;
    while (!m_viewList.empty()) {
        CView* view = m_viewList.front();
        if (CFrameWnd* frame = view->GetParentFrame())
            frame->DestroyWindow();
        RemoveView(view);
    }
    m_bAutoDelete = autoDelete;
    DeleteContents();
    if (m_bAutoDelete)
        delete this;
}

bool CDocument::SaveModified() {
    if (!IsModified())
        return true;
    QString name = m_strPathName.isEmpty() ? m_strTitle : QFileInfo(m_strPathName).fileName();
    if (name.isEmpty())
        name = AfxLoadString(AFX_IDS_UNTITLED);
    switch (AfxMessageBox(AfxLoadString(AFX_IDP_ASK_TO_SAVE).arg(name), MB_YESNOCANCEL)) {
    case IDCANCEL:
        return false;
    case IDYES:
        return DoFileSave();
    default:
        return true;
    }
}

bool CDocument::CanCloseFrame(CFrameWnd* frame) {
    for (CView* view : m_viewList)
        if (view->GetParentFrame() != frame)
            return true; // another frame still shows the document
    return SaveModified();
}

bool CDocument::DoSave(const QString& path, bool replace) {
    QString newName = path;
    if (newName.isEmpty()) {
        newName = m_strPathName;
        if (replace && newName.isEmpty()) {
            // The title up to its first character that has no place in a file name.
            newName = m_strTitle;
            int bad = newName.indexOf(QRegularExpression(QStringLiteral("[ #%;/\\\\]")));
            if (bad >= 0)
                newName.truncate(bad);
            if (m_pDocTemplate)
                newName += m_pDocTemplate->GetDocString(CDocTemplate::filterExt);
        }
        if (!AfxGetApp() || !AfxGetApp()->DoPromptFileName(newName, AFX_IDS_SAVEFILE,
                                                           OFN_HIDEREADONLY | OFN_PATHMUSTEXIST,
                                                           false, m_pDocTemplate))
            return false;
    }
    // A failed save leaves whatever file was there as it was: nothing is removed.
    if (!OnSaveDocument(newName))
        return false;
    if (replace)
        SetPathName(newName);
    return true;
}

bool CDocument::DoFileSave() {
    QFileInfo file(m_strPathName);
    if (m_strPathName.isEmpty() || (file.exists() && !file.isWritable()))
        return DoSave({});
    return DoSave(m_strPathName);
}

void CDocument::OnFileClose() {
    if (SaveModified())
        OnCloseDocument();
}

void CDocument::OnFileSave() {
    DoFileSave();
}

void CDocument::OnFileSaveAs() {
    DoSave({});
}
