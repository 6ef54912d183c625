#include "new_type_chooser.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

#include "seam.h"

namespace {

// The framework's "新規" dialog: a list of the kinds, the first one selected.
class QtNewTypeDialog final : public NewTypeChooser {
public:
    int Choose(const QStringList& names) override {
        QDialog dialog(QApplication::activeWindow());
        dialog.setWindowTitle(QStringLiteral("新規"));
        auto* list = new QListWidget(&dialog);
        list->addItems(names);
        list->setCurrentRow(0);
        auto* label = new QLabel(QStringLiteral("新規(&N)"), &dialog);
        label->setBuddy(list);
        auto* buttons =
            new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
        auto* layout = new QVBoxLayout(&dialog);
        layout->addWidget(label);
        layout->addWidget(list);
        layout->addWidget(buttons);
        return dialog.exec() == QDialog::Accepted ? list->currentRow() : -1;
    }
};

Seam<NewTypeChooser, QtNewTypeDialog> g_chooser;

} // namespace

NewTypeChooser* SetNewTypeChooser(NewTypeChooser* chooser) {
    return g_chooser.Set(chooser);
}

int ChooseNewType(const QStringList& names) {
    return g_chooser->Choose(names);
}
