#include "resources.h"

#include <QFile>

namespace {

const ResourceTables* g_tables = nullptr;

// The framework's own texts, as its Japanese edition shows them.
const StringResource kFrameworkStrings[] = {
    {AFX_IDS_OPENFILE, "開く"},
    {AFX_IDS_SAVEFILE, "名前を付けて保存"},
    {AFX_IDS_ALLFILTER, "すべてのﾌｧｲﾙ (*.*)"},
    {AFX_IDS_UNTITLED, "無題"},
    {AFX_IDP_FAILED_TO_OPEN_DOC, "ドキュメントを開けませんでした。"},
    {AFX_IDP_FAILED_TO_SAVE_DOC, "ドキュメントを保存できませんでした。"},
    {AFX_IDP_ASK_TO_SAVE, "%1 への変更を保存しますか?"},
    {AFX_IDP_FAILED_TO_CREATE_DOC, "新しいドキュメントを作成できませんでした。"},
};

template <class T> const T* FindById(std::span<const T> table, UINT id) {
    for (const T& entry : table)
        if (entry.id == id)
            return &entry;
    return nullptr;
}

} // namespace

MenuItem MenuCommand(UINT id, const char* text, bool checked) {
    return {id, text, {}, checked};
}

MenuItem MenuSeparator() {
    return {};
}

MenuItem MenuPopup(const char* text, std::vector<MenuItem> items) {
    return {0, text, std::move(items), false};
}

void AfxSetResources(const ResourceTables* tables) {
    g_tables = tables;
}

QString AfxLoadString(UINT id) {
    const StringResource* entry = g_tables ? FindById(g_tables->strings, id) : nullptr;
    if (!entry)
        entry = FindById(std::span<const StringResource>(kFrameworkStrings), id);
    return entry ? QString::fromUtf8(entry->text) : QString();
}

QString AfxExtractSubString(const QString& text, int n) {
    const QStringList fields = text.split(QLatin1Char('\n'));
    return n < fields.size() ? fields[n] : QString();
}

const MenuResource* AfxFindMenu(UINT id) {
    return g_tables ? FindById(g_tables->menus, id) : nullptr;
}

const ToolBarResource* AfxFindToolBar(UINT id) {
    return g_tables ? FindById(g_tables->toolBars, id) : nullptr;
}

const AcceleratorResource* AfxFindAccelerators(UINT id) {
    return g_tables ? FindById(g_tables->accelerators, id) : nullptr;
}

QString AfxCommandImagePath(UINT id) {
    if (!g_tables || !g_tables->commandImage)
        return {};
    QString path = QString::fromUtf8(g_tables->commandImage).arg(id);
    return QFile::exists(path) ? path : QString();
}
