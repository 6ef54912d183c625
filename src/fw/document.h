// A document: the data of one open file, shown by one or more views. It knows its path, its
// title and whether it has unsaved changes, tells its views about changes (UpdateAllViews
// calls each view's OnUpdate at once), and asks whether to save before it closes. A document
// deletes itself when it closes (m_bAutoDelete) or when its last view goes away.
#pragma once

#include <QString>
#include <vector>

#include "cmd_target.h"

class CView;
class CFrameWnd;
class CDocTemplate;

class CDocument : public CCmdTarget {
public:
    CDocument();
    ~CDocument() override;
    CDocument(const CDocument&) = delete;
    CDocument& operator=(const CDocument&) = delete;

    const QString& GetTitle() const { return m_strTitle; }
    virtual void SetTitle(const QString& title);
    const QString& GetPathName() const { return m_strPathName; }
    // Takes an absolute path, titles the document with its file name and, when asked,
    // puts it at the top of the recent-file list.
    virtual void SetPathName(const QString& path, bool addToMRU = true);
    CDocTemplate* GetDocTemplate() const { return m_pDocTemplate; }

    virtual bool IsModified() const { return m_bModified; }
    virtual void SetModifiedFlag(bool modified = true);

    void AddView(CView* view);
    void RemoveView(CView* view);
    // The views in the order they were added: the template's view comes first.
    const std::vector<CView*>& GetViews() const { return m_viewList; }
    // Calls OnUpdate of every view but sender, in order, before it returns.
    void UpdateAllViews(CView* sender, long hint = 0, CObject* hintObject = nullptr);
    // Refreshes the titles of the frames that show this document ("title:2" when several).
    void UpdateFrameCounts();

    virtual bool OnNewDocument();
    // The framework's way reads the file through Serialize; a document may open otherwise.
    virtual bool OnOpenDocument(const QString& path);
    virtual bool OnSaveDocument(const QString& path);
    // Closes every frame showing the document, then deletes it if m_bAutoDelete is set:
    // an override does its own work first and calls this last.
    virtual void OnCloseDocument();
    virtual void DeleteContents() {}
    // Tells the user that reading or writing the file through Serialize failed; defaultId is
    // the framework's message. A document with a file form of its own may name the damage.
    virtual void ReportSaveLoadException(const QString& path, bool saving, UINT defaultId);

    // Asks "save changes?" when modified: Yes saves, No drops the changes, Cancel answers
    // false and the document stays open.
    virtual bool SaveModified();
    virtual bool CanCloseFrame(CFrameWnd* frame);
    // Saves under path, or under a name asked for when path is empty; replace makes the
    // name the document's own.
    virtual bool DoSave(const QString& path, bool replace = true);
    bool DoFileSave();

    bool m_bAutoDelete = true;

protected:
    virtual void OnChangedViewList();
    void OnFileClose();
    void OnFileSave();
    void OnFileSaveAs();

private:
    friend class CDocTemplate;

    QString m_strTitle;
    QString m_strPathName;
    CDocTemplate* m_pDocTemplate = nullptr;
    std::vector<CView*> m_viewList;
    bool m_bModified = false;
};
