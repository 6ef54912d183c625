// Hexadecimal input: what a field that takes hexadecimal digits keeps of a typed text.
#pragma once

#include <QStringView>

class QLineEdit;

// The length of the leading run of hexadecimal digits.
int LeadingHexLength(QStringView text);
// After every change the user makes, cuts the text back to its leading hexadecimal run and
// beeps when anything was cut.
void FilterHexInput(QLineEdit* edit);
