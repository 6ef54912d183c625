// The OK and Cancel buttons of the document's dialogs: OK runs the dialog's accept, which
// may ask and stay open.
#pragma once

class QDialog;
class QDialogButtonBox;

QDialogButtonBox* OkCancelButtons(QDialog* dialog);
