// Writes the example compound file and the stream definitions of its streams:
//   make_examples <folder>
// gives <folder>/example.cfb and one .stm per kind of stream in it. The output is the same
// on every run; examples/ holds it as committed.
#include <QString>
#include <cstdio>

#include "example_defs.h"
#include "example_file.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_examples <folder>\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const bool ok = WriteExampleFile((folder + "/example.cfb").toStdU16String()) &&
                    WriteExampleDefinitions(folder);
    return ok ? 0 : 1;
}
