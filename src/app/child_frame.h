// The window of a compound-file document: the storage tree on the left; on the right the
// element list or hex page above the stream's typed values.
// While it is active the main frame shows the compound-file toolbar, which View, Toolbar
// hides and shows.
#pragma once

#include "mdi_child_wnd.h"

class QSplitter;

class CChildFrame : public CMDIChildWnd {
public:
    CChildFrame();
    ~CChildFrame() override;

    QWidget* GetControlBar(UINT id) const override;

protected:
    // The first document window opens maximized.
    bool PreCreateWindow(CREATESTRUCT& cs) override;
    bool OnCreateClient(CCreateContext& context) override;
    void OnMDIActivate(bool activate) override;

private:
    QSplitter* m_wndSplitter = nullptr;
    QSplitter* m_wndSplitter2 = nullptr;
};
