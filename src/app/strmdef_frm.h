// The window of a stream-definition document: the type list on the left; on the right the
// type editor above the layout editor. While it is active the main frame shows the
// stream-definition toolbar, which View, Toolbar hides and shows.
#pragma once

#include "mdi_child_wnd.h"

class QSplitter;

class CStrmDefFrm : public CMDIChildWnd {
public:
    CStrmDefFrm();
    ~CStrmDefFrm() override;

    QWidget* GetControlBar(UINT id) const override;

protected:
    // The first document window opens maximized, a later one at the size of its panes.
    bool PreCreateWindow(CREATESTRUCT& cs) override;
    bool OnCreateClient(CCreateContext& context) override;
    void OnMDIActivate(bool activate) override;

private:
    QSplitter* m_wndSplitter = nullptr;
    QSplitter* m_wndSplitter2 = nullptr;
};
