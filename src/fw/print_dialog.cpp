#include "print_dialog.h"

#include <QPrintDialog>

#include "seam.h"

namespace {

class QtPrintDialog final : public PrintDialogPresenter {
public:
    bool Exec(QPrinter* printer, QWidget* parent) override {
        QPrintDialog dialog(printer, parent);
        return dialog.exec() == QDialog::Accepted;
    }
};

Seam<PrintDialogPresenter, QtPrintDialog> g_presenter;

} // namespace

PrintDialogPresenter* SetPrintDialogPresenter(PrintDialogPresenter* presenter) {
    return g_presenter.Set(presenter);
}

bool ExecPrintDialog(QPrinter* printer, QWidget* parent) {
    return g_presenter->Exec(printer, parent);
}
