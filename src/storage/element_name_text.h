// How an element name is shown where it is painted or printed: names may hold control
// characters ("\x05SummaryInformation"), which are kept exactly in the file and in the
// texts the program works with, but drawn as escapes rather than as boxes.
#pragma once

#include <QString>

// name with every character below 0x20 (and DEL) written as \xNN.
QString EscapeElementName(const QString& name);
