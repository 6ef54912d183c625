// The main window: the workspace of the document windows, three toolbars of which exactly
// one is shown (no document, a compound file, a stream definition), the status bar, and the
// combo box of recently used stream definitions on the compound-file toolbar.
#pragma once

#include <QFont>

#include "mdi_frame_wnd.h"

class QComboBox;
class CStatusBar;
class CToolBar;

class CMainFrame : public CMDIFrameWnd {
public:
    CMainFrame() = default;

    void ShowNoDocToolbar();
    void ShowStgToolbar();
    void ShowStrmDefToolbar();
    QComboBox* GetStrmDefCombo() const { return m_wndStrmDefCombo; }
    // The toolbar of resource 128, 129 or 130.
    CToolBar* GetToolBar(UINT resourceId) const;

    // View, Toolbar acts on the toolbar that is shown now.
    QWidget* GetControlBar(UINT id) const override;

protected:
    bool PreCreateWindow(CREATESTRUCT& cs) override;
    int OnCreate() override;

private:
    CToolBar* CreateToolBar(UINT resourceId);
    bool CreateStrmDefCombo();
    void FillStrmDefCombo();
    void ShowOnly(CToolBar* bar);

    CToolBar* m_wndStgToolBar = nullptr;
    CToolBar* m_wndStrmDefToolBar = nullptr;
    CStatusBar* m_wndStatusBar = nullptr;
    CToolBar* m_wndToolBar = nullptr;
    QFont m_comboFont;
    QComboBox* m_wndStrmDefCombo = nullptr;
    CToolBar* m_pShownToolBar = nullptr;
};
