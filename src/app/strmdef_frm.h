// The window of a stream-definition document. While it is active the main frame shows the
// stream-definition toolbar, which View, Toolbar hides and shows.
#pragma once

#include "mdi_child_wnd.h"

class CStrmDefFrm : public CMDIChildWnd {
public:
    CStrmDefFrm();
    ~CStrmDefFrm() override;

    QWidget* GetControlBar(UINT id) const override;

protected:
    void OnMDIActivate(bool activate) override;
};
