// A list box whose lines hold tabs: each tab moves the text on to the next multiple of the tab
// stop, as a list box with one tab stop does, so that the columns of its lines line up.
#pragma once

#include <QListWidget>

class CTabStopList : public QListWidget {
public:
    CTabStopList();

    // The stop in dialog units: quarters of the average character width of the list's font.
    // Until it is set, a stop comes every eight characters.
    void SetTabStops(int dialogUnits);
    qreal GetTabStop() const { return m_tabStop; }

private:
    qreal m_tabStop;
};
