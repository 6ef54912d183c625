#include "file_dialog.h"

#include <QApplication>
#include <QFileDialog>

#include "message_box.h"
#include "resources.h"

#include "seam.h"

namespace {

// "名前 (*.stm)|*.stm|..." as Qt's name filters. A pattern "*.*" means every file, which on
// this system is "*": many files have no extension at all.
QStringList QtNameFilters(const QString& filter) {
    QStringList fields = filter.split(QLatin1Char('|'));
    QStringList result;
    for (int i = 0; i + 1 < fields.size(); i += 2) {
        if (fields[i].isEmpty())
            break;
        QString name = fields[i];
        int paren = name.lastIndexOf(QLatin1String(" ("));
        if (paren > 0 && name.endsWith(QLatin1Char(')')))
            name.truncate(paren);
        QString patterns = fields[i + 1];
        patterns.replace(QLatin1String("*.*"), QLatin1String("*")).replace(';', ' ');
        result << QStringLiteral("%1 (%2)").arg(name, patterns);
    }
    return result;
}

class QtFileDialog final : public FileDialogPresenter {
public:
    std::optional<QString> Show(const OPENFILENAME& ofn) override {
        QFileDialog dialog(QApplication::activeWindow());
        dialog.setWindowTitle(
            ofn.lpstrTitle.isEmpty()
                ? AfxLoadString(ofn.bOpenFileDialog ? AFX_IDS_OPENFILE : AFX_IDS_SAVEFILE)
                : ofn.lpstrTitle);
        dialog.setAcceptMode(ofn.bOpenFileDialog ? QFileDialog::AcceptOpen
                                                 : QFileDialog::AcceptSave);
        dialog.setFileMode(ofn.bOpenFileDialog && (ofn.Flags & OFN_FILEMUSTEXIST)
                               ? QFileDialog::ExistingFile
                               : QFileDialog::AnyFile);
        if (!(ofn.Flags & OFN_OVERWRITEPROMPT))
            dialog.setOption(QFileDialog::DontConfirmOverwrite);
        const QStringList filters = QtNameFilters(ofn.lpstrFilter);
        dialog.setNameFilters(filters);
        if (ofn.nFilterIndex >= 1 && ofn.nFilterIndex <= filters.size())
            dialog.selectNameFilter(filters[ofn.nFilterIndex - 1]);
        dialog.setDefaultSuffix(ofn.lpstrDefExt);
        if (!ofn.lpstrFile.isEmpty())
            dialog.selectFile(ofn.lpstrFile);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().first();
    }
};

Seam<FileDialogPresenter, QtFileDialog> g_presenter;

} // namespace

FileDialogPresenter* SetFileDialogPresenter(FileDialogPresenter* presenter) {
    return g_presenter.Set(presenter);
}

CFileDialog::CFileDialog(bool openFileDialog, const QString& defExt, const QString& fileName,
                         unsigned flags, const QString& filter) {
    m_ofn.bOpenFileDialog = openFileDialog;
    m_ofn.lpstrDefExt = defExt;
    m_ofn.lpstrFile = fileName;
    m_ofn.Flags = flags;
    m_ofn.lpstrFilter = filter;
}

int CFileDialog::DoModal() {
    std::optional<QString> chosen = g_presenter->Show(m_ofn);
    if (!chosen)
        return IDCANCEL;
    m_pathName = *chosen;
    return IDOK;
}
