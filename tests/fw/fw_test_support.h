// What the framework tests share: seams that record the questions and give scripted
// answers, a small document kind with its view and frame, and an application with a main
// frame whose profile lives in a scratch folder.
#pragma once

#include "recording_message_box.h"
#include "scripted_chooser.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "cmd_ui.h"
#include "doc_template.h"
#include "document.h"
#include "file_dialog.h"
#include "mdi_child_wnd.h"
#include "mdi_frame_wnd.h"
#include "menu.h"
#include "message_box.h"
#include "resources.h"
#include "view.h"
#include "win_app.h"

constexpr UINT IDR_TESTFRAME = 300;
constexpr UINT IDR_CFBTYPE = 301;
constexpr UINT IDR_TSTTYPE = 302;
constexpr UINT ID_TEST_COMMAND = 33001;
constexpr UINT ID_TEST_CHECK = 33002;
constexpr UINT ID_TEST_RADIO = 33003;
constexpr UINT ID_TEST_UNHANDLED = 33004;

inline const StringResource kTestStrings[] = {
    {AFX_IDS_APP_TITLE, "Kestrin"},
    {IDR_TESTFRAME, "Test"},
    {IDR_CFBTYPE, "\nCfb\nCfb file\n\n\nTest.Cfb\nCfb"},
    {IDR_TSTTYPE, "\nTest\nTest file\nTest files (*.tst)\n.tst\nTest.Document\nTest"},
};
inline const MenuResource kTestMenus[] = {
    {IDR_TESTFRAME,
     {MenuPopup("&File",
                {MenuCommand(ID_FILE_NEW, "&New"), MenuCommand(ID_FILE_MRU_FILE1, "Recent"),
                 MenuCommand(ID_TEST_COMMAND, "&Test"), MenuCommand(ID_TEST_CHECK, "&Check"),
                 MenuCommand(ID_TEST_UNHANDLED, "&Nobody")}),
      MenuPopup("&Edit", {MenuCommand(ID_TEST_CHECK, "&Check"),
                          MenuPopup("&New", {MenuCommand(ID_TEST_COMMAND, "&Inner")})})}},
};
inline const ToolBarResource kTestToolBars[] = {
    {IDR_TESTFRAME,
     {ID_TEST_COMMAND, ID_SEPARATOR, ID_TEST_CHECK, ID_TEST_RADIO, ID_TEST_UNHANDLED}},
};
inline const ResourceTables kTestResources{kTestStrings, kTestMenus, kTestToolBars, {}, nullptr};

// Records what file dialogs are asked and answers with a path, or cancels.
class ScriptedFileDialog final : public FileDialogPresenter {
public:
    ScriptedFileDialog() : m_before(SetFileDialogPresenter(this)) {}
    ~ScriptedFileDialog() override { SetFileDialogPresenter(m_before); }
    std::optional<QString> Show(const OPENFILENAME& ofn) override {
        asked.push_back(ofn);
        return answer;
    }
    std::vector<OPENFILENAME> asked;
    std::optional<QString> answer;

private:
    FileDialogPresenter* m_before;
};

struct ViewUpdate {
    CView* sender;
    long hint;
    CObject* object;
};

class TestView : public QWidget, public CView {
public:
    void OnUpdate(CView* sender, long hint, CObject* object) override {
        updates.push_back({sender, hint, object});
    }
    std::vector<ViewUpdate> updates;
};

// A document that records what the framework asks of it instead of touching files.
class TestDoc : public CDocument {
public:
    TestDoc() {
        OnCommand(ID_TEST_COMMAND, &TestDoc::OnTestCommand);
        OnUpdateCommand(ID_TEST_COMMAND, &TestDoc::OnUpdateTestCommand);
        OnUpdateCommand(ID_TEST_CHECK, &TestDoc::OnUpdateCheck);
        OnUpdateCommand(ID_TEST_RADIO, &TestDoc::OnUpdateRadio);
    }
    ~TestDoc() override { ++destroyed; }
    bool OnOpenDocument(const QString& path) override {
        opened << path;
        return true;
    }
    bool OnSaveDocument(const QString& path) override {
        saved << path;
        SetModifiedFlag(false);
        return true;
    }
    void OnTestCommand() { ++commands; }
    // Greys a popup whose first item this is by position, as the popup rule asks.
    void OnUpdateTestCommand(CCmdUI* ui) {
        if (ui->m_pSubMenu)
            EnableMenuItem(ui->m_pMenu, ui->m_nIndex,
                           MF_BYPOSITION | (enabled ? MF_ENABLED : MF_GRAYED));
        else
            ui->Enable(enabled);
    }
    void OnUpdateCheck(CCmdUI* ui) { ui->SetCheck(checked); }
    void OnUpdateRadio(CCmdUI* ui) { ui->SetRadio(checked); }

    static inline int destroyed = 0;
    QStringList opened;
    QStringList saved;
    int commands = 0;
    bool enabled = true;
    bool checked = false;
};

class TestFrame : public CMDIChildWnd {};

// The application of the tests: two templates (compound files first, as the program
// registers them), a main frame, and its profile in a scratch folder.
class TestApp : public CWinApp {
public:
    TestApp() : CWinApp(QStringLiteral("Kestrin")) {}
    bool InitInstance() override {
        SetRegistryKey(QStringLiteral("Morrowfen"));
        LoadStdProfileSettings(10);
        AddDocTemplate(MakeTemplate(IDR_CFBTYPE));
        AddDocTemplate(MakeTemplate(IDR_TSTTYPE));
        m_pMainWnd = new CMDIFrameWnd;
        return m_pMainWnd->LoadFrame(IDR_TESTFRAME);
    }
    static CMultiDocTemplate* MakeTemplate(UINT id) {
        return new CMultiDocTemplate(
            id, [] { return new TestDoc; }, [] { return new TestFrame; },
            [] { return new TestView; });
    }
    CDocTemplate* Template(int index) const { return GetDocTemplates()[index].get(); }
};

// Points the user's profile at a folder of its own for the whole test run.
inline void UseScratchProfile(const QTemporaryDir& dir) {
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    AfxSetResources(&kTestResources);
}
inline TestView* FirstView(CDocument* doc) {
    return static_cast<TestView*>(doc->GetViews().front());
}
