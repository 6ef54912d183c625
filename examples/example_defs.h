// Writes the stream definitions of the example file's streams.
#pragma once

#include <QString>

// header.stm, table.stm, samples.stm, notes.stm and summaryinfo.stm into folder.
bool WriteExampleDefinitions(const QString& folder);
