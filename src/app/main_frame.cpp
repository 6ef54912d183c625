#include "main_frame.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>

#include "kestrin_app.h"
#include "platform_setup.h"
#include "resource_ids.h"
#include "status_bar.h"
#include "tool_bar.h"

namespace {

constexpr int kWidth = 768;
constexpr int kHeight = 600;
constexpr int kComboIndex = 23; // the placeholder 32790 on toolbar 129
constexpr int kComboWidth = 150;
const char kSection[] = "Main Editor";

const UINT kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_KANA, ID_INDICATOR_CAPS, ID_INDICATOR_NUM,
                            ID_INDICATOR_SCRL};

} // namespace

bool CMainFrame::PreCreateWindow(CREATESTRUCT& cs) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    cs.cx = kWidth;
    cs.cy = kHeight;
    cs.x = (screen.width() - kWidth) / 2;
    cs.y = (screen.height() - kHeight) / 2;
    return CMDIFrameWnd::PreCreateWindow(cs);
}

int CMainFrame::OnCreate() {
    if (CMDIFrameWnd::OnCreate() == -1)
        return -1;
    if (!(m_wndToolBar = CreateToolBar(IDR_MAINFRAME)))
        return -1;
    m_wndStatusBar = new CStatusBar(this);
    if (!m_wndStatusBar->SetIndicators(kIndicators))
        return -1;
    setStatusBar(m_wndStatusBar);
    if (!(m_wndStgToolBar = CreateToolBar(IDR_KESTRITYPE)))
        return -1;
    if (!CreateStrmDefCombo())
        return 0;
    LOGFONT logFont;
    logFont.lfHeight = -12;
    logFont.lfCharSet = SHIFTJIS_CHARSET;
    logFont.lfFaceName = QStringLiteral("ＭＳ 明朝");
    m_comboFont = CreateFontIndirect(logFont);
    m_wndStrmDefCombo->setFont(m_comboFont);
    if (!(m_wndStrmDefToolBar = CreateToolBar(IDR_STRMDEFTYPE)))
        return -1;
    ShowNoDocToolbar();
    FillStrmDefCombo();
    return 0;
}

CToolBar* CMainFrame::CreateToolBar(UINT resourceId) {
    auto* bar = new CToolBar(this);
    if (!bar->LoadToolBar(resourceId, GetCommandActions())) {
        delete bar;
        return nullptr;
    }
    bar->setAllowedAreas(Qt::AllToolBarAreas);
    addToolBar(Qt::TopToolBarArea, bar);
    return bar;
}

bool CMainFrame::CreateStrmDefCombo() {
    m_wndStgToolBar->SetButtonInfo(kComboIndex, IDC_STRMDEF_COMBO, TBBS_SEPARATOR, kComboWidth);
    QWidget* place = m_wndStgToolBar->GetItemWindow(kComboIndex);
    if (!place)
        return false;
    m_wndStrmDefCombo = new QComboBox(place);
    m_wndStrmDefCombo->setObjectName(QStringLiteral("strmDefCombo"));
    m_wndStrmDefCombo->setFocusPolicy(Qt::TabFocus);
    place->layout()->addWidget(m_wndStrmDefCombo);
    connect(m_wndStrmDefCombo, &QComboBox::activated, this,
            [this] { SendCommand(IDC_STRMDEF_COMBO, CBN_SELCHANGE); });
    return true;
}

void CMainFrame::FillStrmDefCombo() {
    CKestrinApp* app = KestrinApp();
    if (!app)
        return;
    const int count = app->GetProfileInt(kSection, QStringLiteral("StrmDefNumber"), 0);
    for (int i = 0; i < count; ++i) {
        QString path = app->GetProfileString(kSection, QStringLiteral("StrmDefName%1").arg(i));
        // An empty entry is skipped in both, so that they stay parallel.
        if (path.isEmpty())
            continue;
        app->AddRecentStrmDef(path, true);
        m_wndStrmDefCombo->addItem(path);
    }
}

void CMainFrame::ShowNoDocToolbar() {
    ShowOnly(m_wndToolBar);
}

void CMainFrame::ShowStgToolbar() {
    ShowOnly(m_wndStgToolBar);
}

void CMainFrame::ShowStrmDefToolbar() {
    ShowOnly(m_wndStrmDefToolBar);
}

void CMainFrame::ShowOnly(CToolBar* bar) {
    for (CToolBar* each : {m_wndToolBar, m_wndStgToolBar, m_wndStrmDefToolBar})
        if (each && each != bar)
            ShowControlBar(each, false, false);
    if (bar)
        ShowControlBar(bar, true, false);
    m_pShownToolBar = bar;
}

CToolBar* CMainFrame::GetToolBar(UINT resourceId) const {
    for (CToolBar* bar : {m_wndToolBar, m_wndStgToolBar, m_wndStrmDefToolBar})
        if (bar && bar->GetResourceId() == resourceId)
            return bar;
    return nullptr;
}

QWidget* CMainFrame::GetControlBar(UINT id) const {
    if (id == AFX_IDW_TOOLBAR)
        return m_pShownToolBar;
    if (id == AFX_IDW_STATUS_BAR)
        return m_wndStatusBar;
    return nullptr;
}
