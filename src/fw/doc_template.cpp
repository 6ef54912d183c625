#include "doc_template.h"

#include <QFileInfo>
#include <algorithm>

#include "document.h"
#include "mdi_child_wnd.h"
#include "message_box.h"
#include "resources.h"

CDocTemplate::CDocTemplate(UINT resourceId, DocumentFactory document, FrameFactory frame,
                           ViewFactory view)
    : m_nIDResource(resourceId), m_strDocStrings(AfxLoadString(resourceId)),
      m_newDocument(std::move(document)), m_newFrame(std::move(frame)), m_newView(std::move(view)) {
}

CDocTemplate::~CDocTemplate() {
    for (CDocument* doc : m_docList)
        doc->m_pDocTemplate = nullptr;
}

QString CDocTemplate::GetDocString(DocStringIndex index) const {
    return AfxExtractSubString(m_strDocStrings, index);
}

CDocTemplate::Confidence CDocTemplate::MatchDocType(const QString& path, CDocument*& match) const {
    match = nullptr;
    for (CDocument* doc : m_docList) {
        if (doc->GetPathName() == path) {
            match = doc;
            return yesAlreadyOpen;
        }
    }
    const QString ext = GetDocString(filterExt);
    if (!ext.isEmpty() && path.endsWith(ext, Qt::CaseInsensitive))
        return yesAttemptNative;
    return yesAttemptForeign;
}

CDocument* CDocTemplate::CreateNewDocument() {
    CDocument* doc = m_newDocument();
    if (doc)
        AddDocument(doc);
    return doc;
}

CMDIChildWnd* CDocTemplate::CreateNewFrame(CDocument* doc) {
    CMDIChildWnd* frame = m_newFrame();
    CCreateContext context;
    context.m_pCurrentDoc = doc;
    context.m_pNewViewClass = m_newView;
    context.m_pNewDocTemplate = this;
    return frame && frame->LoadFrame(m_nIDResource, context) ? frame : nullptr;
}

void CDocTemplate::InitialUpdateFrame(CMDIChildWnd* frame, CDocument* doc, bool makeVisible) {
    frame->InitialUpdateFrame(doc, makeVisible);
}

void CDocTemplate::AddDocument(CDocument* doc) {
    m_docList.push_back(doc);
    doc->m_pDocTemplate = this;
}

void CDocTemplate::RemoveDocument(CDocument* doc) {
    std::erase(m_docList, doc);
    doc->m_pDocTemplate = nullptr;
}

CDocument* CMultiDocTemplate::OpenDocumentFile(const QString& path, bool makeVisible) {
    CDocument* doc = CreateNewDocument();
    if (!doc) {
        AfxMessageBox(AfxLoadString(AFX_IDP_FAILED_TO_CREATE_DOC));
        return nullptr;
    }
    // The document must outlive a frame that fails half-way.
    const bool autoDelete = doc->m_bAutoDelete;
    doc->m_bAutoDelete = false;
    CMDIChildWnd* frame = CreateNewFrame(doc);
    doc->m_bAutoDelete = autoDelete;
    if (!frame) {
        AfxMessageBox(AfxLoadString(AFX_IDP_FAILED_TO_CREATE_DOC));
        delete doc;
        return nullptr;
    }
    if (path.isEmpty()) {
        SetDefaultTitle(doc);
        if (!doc->OnNewDocument()) {
            frame->DestroyWindow();
            return nullptr;
        }
        ++m_nUntitledCount;
    } else {
        if (!doc->OnOpenDocument(path)) {
            frame->DestroyWindow();
            return nullptr;
        }
        doc->SetPathName(path);
    }
    InitialUpdateFrame(frame, doc, makeVisible);
    return doc;
}

void CMultiDocTemplate::SetDefaultTitle(CDocument* doc) {
    const QString name = GetDocString(docName);
    doc->SetTitle(name.isEmpty() ? AfxLoadString(AFX_IDS_UNTITLED)
                                 : name + QString::number(m_nUntitledCount + 1));
}
