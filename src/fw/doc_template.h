// Document templates: one per kind of document. A template's string (resource id) has seven
// '\n'-separated fields; its factories make the document, the child frame and the frame's
// first view. Opening a file asks each template how well it matches: the one whose filter
// extension the file has, else the first registered one.
#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "framework_ids.h"

class CDocument;
class CMDIChildWnd;
class CView;

class CDocTemplate {
public:
    enum DocStringIndex {
        windowTitle,
        docName,
        fileNewName,
        filterName,
        filterExt,
        regFileTypeId,
        regFileTypeName,
    };
    enum Confidence {
        noAttempt,
        maybeAttemptForeign,
        maybeAttemptNative,
        yesAttemptForeign,
        yesAttemptNative,
        yesAlreadyOpen,
    };
    using DocumentFactory = std::function<CDocument*()>;
    using FrameFactory = std::function<CMDIChildWnd*()>;
    using ViewFactory = std::function<CView*()>;

    CDocTemplate(UINT resourceId, DocumentFactory document, FrameFactory frame, ViewFactory view);
    virtual ~CDocTemplate();
    CDocTemplate(const CDocTemplate&) = delete;
    CDocTemplate& operator=(const CDocTemplate&) = delete;

    UINT GetResourceId() const { return m_nIDResource; }
    QString GetDocString(DocStringIndex index) const;
    // yesAlreadyOpen (with the document in match) when a document of this template has the
    // path; yesAttemptNative when the path ends in the filter extension (in any case);
    // yesAttemptForeign otherwise.
    virtual Confidence MatchDocType(const QString& path, CDocument*& match) const;

    // A new document (path empty) or the file at path, in a new frame; null on failure.
    virtual CDocument* OpenDocumentFile(const QString& path, bool makeVisible = true) = 0;
    CMDIChildWnd* CreateNewFrame(CDocument* doc);
    void InitialUpdateFrame(CMDIChildWnd* frame, CDocument* doc, bool makeVisible = true);

    void AddDocument(CDocument* doc);
    void RemoveDocument(CDocument* doc);
    const std::vector<CDocument*>& GetDocuments() const { return m_docList; }

protected:
    CDocument* CreateNewDocument();

private:
    UINT m_nIDResource;
    QString m_strDocStrings;
    DocumentFactory m_newDocument;
    FrameFactory m_newFrame;
    ViewFactory m_newView;
    std::vector<CDocument*> m_docList;
};

// The template of a document kind that may be open many times, each in its own frames.
class CMultiDocTemplate : public CDocTemplate {
public:
    using CDocTemplate::CDocTemplate;

    CDocument* OpenDocumentFile(const QString& path, bool makeVisible = true) override;
    // New documents are called docName1, docName2, ... in the order they are made.
    void SetDefaultTitle(CDocument* doc);

private:
    int m_nUntitledCount = 0;
};
