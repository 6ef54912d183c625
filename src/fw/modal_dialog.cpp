#include "modal_dialog.h"

#include <QDialog>

#include "seam.h"

namespace {

class QtModalDialog final : public ModalDialogRunner {
public:
    int Exec(QDialog& dialog) override { return dialog.exec(); }
};

Seam<ModalDialogRunner, QtModalDialog> g_runner;

} // namespace

ModalDialogRunner* SetModalDialogRunner(ModalDialogRunner* runner) {
    return g_runner.Set(runner);
}

int DoModal(QDialog& dialog) {
    return g_runner->Exec(dialog);
}
