// Writes the example compound file.
#pragma once

#include <string>

// The streams: "Header", "Table", storage "Data" with "Samples" and "Notes", and a summary
// property set "\005SummaryInformation". False, with a message on stderr, when a call fails.
bool WriteExampleFile(const std::u16string& path);
