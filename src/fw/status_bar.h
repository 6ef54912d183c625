// The status bar: the message pane (the idle message, or the prompt of the command under
// the mouse) followed by indicator panes, each named by a string id and updated through
// the routing like a command: an enabled pane shows its text, a disabled one is blank.
#pragma once

#include <QStatusBar>
#include <span>
#include <vector>

#include "framework_ids.h"

class QLabel;
class CFrameWnd;

class CStatusBar : public QStatusBar {
    Q_OBJECT

public:
    explicit CStatusBar(QWidget* parent);

    // ids[0] is ID_SEPARATOR, the message pane; the others are indicators.
    bool SetIndicators(std::span<const UINT> ids);
    QString GetPaneText(int index) const;
    void OnUpdateCmdUI(CFrameWnd* target);

private:
    struct Pane {
        UINT id;
        QString text;
        QLabel* label;
    };
    std::vector<Pane> m_panes;
};
