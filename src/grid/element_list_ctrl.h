// The list of a storage's elements that the page view shows while a storage is selected:
// name, size and modification time, as large icons, small icons, a list or details. One
// model of plain records serves every presentation; the icon presentations share one list
// view, the details a tree view without decoration.
#pragma once

#include <QStackedWidget>

#include "ole_interfaces.h"
#include "page_view.h"

class CElementIconDelegate;
class CElementListModel;
class QAbstractItemView;
class QItemSelectionModel;
class QListView;
class QTreeView;

class CElementListCtrl : public QStackedWidget {
public:
    explicit CElementListCtrl(QWidget* parent = nullptr);

    // LVS_ICON, LVS_SMALLICON, LVS_REPORT or (style & LVS_TYPEMASK) 3, a list of small
    // icons in columns; other bits are ignored. Starts as LVS_REPORT.
    void SetListStyle(DWORD style);
    DWORD GetListStyle() const { return m_style; }

    // Replaces every item by the elements of storage, storages first, then streams, each
    // by name. A failed enumeration has been reported by the folder; the list is empty then.
    void Fill(IStorage* storage);

    int GetItemCount() const;
    // subItem 0 the name (exact, control characters unescaped), 1 the size, 2 the time.
    QString GetItemText(int item, int subItem) const;
    // The presentation showing now, for printing it (QWidget::render) and for tests.
    QAbstractItemView* GetCurrentView() const;

private:
    void ShowIcons(DWORD style);
    void SetIconCell(const QSize& cell);
    void AttachIcons(bool attach);
    int IconGridWidth() const;
    int TimeColumnWidth() const;

    CElementListModel* m_model;
    QItemSelectionModel* m_selection;
    QListView* m_icons;
    CElementIconDelegate* m_iconDelegate;
    QTreeView* m_details;
    DWORD m_style = LVS_REPORT;
};
