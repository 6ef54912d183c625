// The print dialog, through one replaceable presenter so that tests choose the printer (a
// PDF file) without a modal dialog.
#pragma once

class QPrinter;
class QWidget;

class PrintDialogPresenter {
public:
    virtual ~PrintDialogPresenter() = default;
    // Lets the user set up printer; false when the user cancelled.
    virtual bool Exec(QPrinter* printer, QWidget* parent) = 0;
};

// Replaces the presenter (null: the real QPrintDialog); returns the one before.
PrintDialogPresenter* SetPrintDialogPresenter(PrintDialogPresenter* presenter);

bool ExecPrintDialog(QPrinter* printer, QWidget* parent);
