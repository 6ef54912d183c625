#include "element_list_ctrl.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QListView>
#include <QTreeView>
#include <algorithm>

#include "element_icon_delegate.h"
#include "element_list_model.h"
#include "element_name_text.h"
#include "platform_setup.h"
#include "stg_folder.h"

namespace {

constexpr DWORD LVS_LIST = 3;
constexpr int kLargeIcon = 32;
constexpr int kSmallIcon = 16;
// A large icon's cell: room for a name of about a dozen characters on two lines.
constexpr int kLargeCellWidth = 100;
constexpr int kLargeCellHeight = 72;
// Around a small icon's name: the icon, the gap after it and before the next item.
constexpr int kSmallCellExtra = kSmallIcon + 16;
constexpr int kSmallCellHeight = 20;
// An item leaves this much of its cell free, so that neighbours' highlights do not touch.
constexpr QSize kCellMargin(4, 2);

// The list shows its texts in the system's proportional Gothic at 12 pixels.
QFont ListFont() {
    LOGFONT logFont;
    logFont.lfHeight = -12;
    logFont.lfCharSet = SHIFTJIS_CHARSET;
    logFont.lfFaceName = QStringLiteral("ＭＳ Ｐゴシック");
    return CreateFontIndirect(logFont);
}

std::vector<ElementRecord> ReadElements(IStorage* storage) {
    std::vector<ElementRecord> records;
    CStgFolder folder(storage, QString(), TRUE);
    BOOL more = folder.Fill();
    folder.Close();
    while (more) {
        more = folder.MoveNext();
        STATSTG stat;
        folder.GetStat(&stat);
        records.push_back(
            {folder.GetName(), bool(folder.IsStorage()), stat.cbSize.QuadPart, stat.mtime});
    }
    return records;
}

void SetUpView(QAbstractItemView* view) {
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setIconSize(QSize(kSmallIcon, kSmallIcon));
}

QTreeView* MakeDetails() {
    auto* details = new QTreeView;
    SetUpView(details);
    details->setRootIsDecorated(false);
    details->setItemsExpandable(false);
    details->setUniformRowHeights(true);
    details->setAllColumnsShowFocus(true);
    details->header()->setStretchLastSection(false);
    details->header()->setSectionsMovable(false);
    return details;
}

QListView* MakeIcons() {
    auto* icons = new QListView;
    SetUpView(icons);
    icons->setResizeMode(QListView::Adjust);
    icons->setUniformItemSizes(true);
    icons->setLayoutMode(QListView::Batched);
    return icons;
}

// Shows model in view with the shared selection, dropping the selection models the view
// made for it and for what it showed before.
void Share(QAbstractItemView* view, QAbstractItemModel* model, QItemSelectionModel* selection) {
    QItemSelectionModel* before = view->selectionModel();
    view->setModel(model);
    QItemSelectionModel* made = view->selectionModel();
    view->setSelectionModel(selection);
    delete made;
    if (before != selection)
        delete before;
}

} // namespace

CElementListCtrl::CElementListCtrl(QWidget* parent)
    : QStackedWidget(parent), m_model(new CElementListModel(this)),
      m_selection(new QItemSelectionModel(m_model, this)), m_icons(MakeIcons()),
      m_iconDelegate(new CElementIconDelegate(m_icons)), m_details(MakeDetails()) {
    setFont(ListFont());
    m_icons->setItemDelegate(m_iconDelegate);
    addWidget(m_details);
    addWidget(m_icons);
    Share(m_details, m_model, m_selection);
    const int widths[] = {150, 100, TimeColumnWidth()};
    for (int column = 0; column < CElementListModel::ColumnCount; ++column)
        m_details->header()->resizeSection(column, widths[column]);
    setCurrentWidget(m_details);
}

void CElementListCtrl::SetListStyle(DWORD style) {
    style &= LVS_TYPEMASK;
    if (style == m_style)
        return;
    m_style = style;
    if (style == LVS_REPORT) {
        setCurrentWidget(m_details);
        AttachIcons(false);
    } else {
        ShowIcons(style);
    }
}

// The icon presentations hold the model only while they show: a hidden list view would
// lay out every item again after each fill.
void CElementListCtrl::AttachIcons(bool attach) {
    if ((m_icons->model() == m_model) == attach)
        return;
    if (attach)
        Share(m_icons, m_model, m_selection);
    else
        m_icons->setModel(nullptr); // its selection model for nothing goes at the next Share
}

void CElementListCtrl::ShowIcons(DWORD style) {
    const bool large = style == LVS_ICON;
    // Setting the mode resets flow, wrapping and movement, so they follow it.
    m_icons->setViewMode(large ? QListView::IconMode : QListView::ListMode);
    m_icons->setFlow(style == LVS_LIST ? QListView::TopToBottom : QListView::LeftToRight);
    m_icons->setWrapping(true);
    m_icons->setWordWrap(large);
    m_icons->setIconSize(large ? QSize(kLargeIcon, kLargeIcon) : QSize(kSmallIcon, kSmallIcon));
    m_icons->setMovement(QListView::Static);
    SetIconCell(large ? QSize(kLargeCellWidth, kLargeCellHeight)
                      : QSize(IconGridWidth(), kSmallCellHeight));
    AttachIcons(true);
    setCurrentWidget(m_icons);
}

// Small icons and the list line their items up in columns as wide as the widest name.
// 120 pixels hold a time in the Gothic the list was designed with; the IPA font's wider
// digits need a little more, and a time cut short is of no use.
int CElementListCtrl::TimeColumnWidth() const {
    const int margins =
        2 * (m_details->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, m_details) + 1);
    const int time = QFontMetrics(font()).horizontalAdvance(QStringLiteral("0000/00/00 00:00:00"));
    return std::max(120, time + margins + 2);
}

int CElementListCtrl::IconGridWidth() const {
    const QFontMetrics metrics = m_icons->fontMetrics();
    int widest = 0;
    for (const ElementRecord& record : m_model->GetRecords())
        widest = std::max(widest, metrics.horizontalAdvance(EscapeElementName(record.name)));
    return widest + kSmallCellExtra;
}

void CElementListCtrl::Fill(IStorage* storage) {
    m_model->SetRecords(ReadElements(storage));
    if (m_style != LVS_REPORT && m_style != LVS_ICON)
        SetIconCell(QSize(IconGridWidth(), kSmallCellHeight));
}

void CElementListCtrl::SetIconCell(const QSize& cell) {
    m_iconDelegate->SetItemSize(cell - kCellMargin);
    m_icons->setGridSize(cell);
}

int CElementListCtrl::GetItemCount() const {
    return m_model->rowCount();
}

QString CElementListCtrl::GetItemText(int item, int subItem) const {
    return m_model->GetText(item, subItem);
}

QAbstractItemView* CElementListCtrl::GetCurrentView() const {
    return m_style == LVS_REPORT ? static_cast<QAbstractItemView*>(m_details) : m_icons;
}
