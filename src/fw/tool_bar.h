// A toolbar loaded from a toolbar resource: the shared command actions in the resource's
// order, separators where it has 0. A button can give its place to a control (a combo box).
#pragma once

#include <QToolBar>

#include "framework_ids.h"

class CCommandActions;
class CFrameWnd;

constexpr UINT TBBS_SEPARATOR = 0x1;

class CToolBar : public QToolBar {
    Q_OBJECT

public:
    explicit CToolBar(QWidget* parent);

    bool LoadToolBar(UINT resourceId, CCommandActions& actions);
    UINT GetResourceId() const { return m_nIDResource; }
    // Turns the button at index (counting separators) into an empty place of the given
    // width, which GetItemWindow gives for a control to be put in.
    void SetButtonInfo(int index, UINT id, UINT style, int width);
    QWidget* GetItemWindow(int index) const;
    // Runs the update handlers of the buttons through target's routing.
    void OnUpdateCmdUI(CFrameWnd* target, bool disableIfNoHandler);

private:
    UINT m_nIDResource = 0;
};
