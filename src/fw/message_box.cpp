#include "message_box.h"

#include <QApplication>
#include <QMessageBox>

#include "seam.h"

namespace {

class QtMessageBox final : public MessageBoxPresenter {
public:
    int Show(const QString& text, unsigned type) override {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(QApplication::applicationDisplayName());
        box.setText(text);
        switch (type & 0xF0) {
        case MB_ICONSTOP:
            box.setIcon(QMessageBox::Critical);
            break;
        case MB_ICONQUESTION:
            box.setIcon(QMessageBox::Question);
            break;
        case MB_ICONEXCLAMATION:
            box.setIcon(QMessageBox::Warning);
            break;
        case MB_ICONINFORMATION:
            box.setIcon(QMessageBox::Information);
            break;
        default:
            // No icon asked for: a question gets the question mark, anything else the
            // exclamation mark, as the framework's own boxes do.
            const unsigned buttons = type & 0xF;
            box.setIcon(buttons == MB_YESNO || buttons == MB_YESNOCANCEL ? QMessageBox::Question
                                                                         : QMessageBox::Warning);
            break;
        }
        switch (type & 0xF) {
        case MB_OKCANCEL:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case MB_YESNOCANCEL:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        case MB_YESNO:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        default:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        }
        switch (box.exec()) {
        case QMessageBox::Yes:
            return IDYES;
        case QMessageBox::No:
            return IDNO;
        case QMessageBox::Cancel:
            return IDCANCEL;
        default:
            return IDOK;
        }
    }
};

Seam<MessageBoxPresenter, QtMessageBox> g_presenter;

} // namespace

MessageBoxPresenter* SetMessageBoxPresenter(MessageBoxPresenter* presenter) {
    return g_presenter.Set(presenter);
}

int AfxMessageBox(const QString& text, unsigned type) {
    return g_presenter->Show(text, type);
}
