// Modal dialogs of the program's own, shown through one replaceable runner so that tests
// fill in and close them without blocking.
#pragma once

class QDialog;

class ModalDialogRunner {
public:
    virtual ~ModalDialogRunner() = default;
    // Shows dialog modally; QDialog::Accepted or QDialog::Rejected.
    virtual int Exec(QDialog& dialog) = 0;
};

// Replaces the runner (null: QDialog::exec); returns the one before.
ModalDialogRunner* SetModalDialogRunner(ModalDialogRunner* runner);

int DoModal(QDialog& dialog);
