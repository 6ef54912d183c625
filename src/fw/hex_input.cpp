#include "hex_input.h"

#include <QLineEdit>
#include <algorithm>

#include "beep.h"

int LeadingHexLength(QStringView text) {
    const auto end = std::find_if_not(text.begin(), text.end(), [](QChar ch) {
        return QStringLiteral("1234567890abcdefABCDEF").contains(ch);
    });
    return static_cast<int>(end - text.begin());
}

void FilterHexInput(QLineEdit* edit) {
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& typed) {
        const int run = LeadingHexLength(typed);
        if (run == typed.size())
            return;
        MessageBeep(MB_ICONASTERISK);
        edit->setText(typed.left(run));
    });
}
