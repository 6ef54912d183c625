// Message boxes. Every box the program shows goes through one replaceable presenter, so that
// headless tests read the texts and give the answers instead of a person.
#pragma once

#include <QString>

// Box types and answers, with the platform's values.
constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_YESNOCANCEL = 0x3;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_ICONSTOP = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONEXCLAMATION = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

class MessageBoxPresenter {
public:
    virtual ~MessageBoxPresenter() = default;
    // Shows the text and returns the answer (IDOK, IDCANCEL, IDYES or IDNO).
    virtual int Show(const QString& text, unsigned type) = 0;
};

// Replaces the presenter (null: the real QMessageBox one); returns the one before.
MessageBoxPresenter* SetMessageBoxPresenter(MessageBoxPresenter* presenter);

// Shows a box with the application's title, as the framework's AfxMessageBox does.
int AfxMessageBox(const QString& text, unsigned type = MB_OK);
