// The command line: what the program was asked to do at start. The one argument the program
// takes is an optional path of a file to open.
#pragma once

#include <QString>
#include <QStringList>

class CCommandLineInfo {
public:
    enum ShellCommand { FileNew, FileOpen, FileNothing };

    // Reads the arguments after the program's name.
    void Parse(const QStringList& arguments);

    ShellCommand m_nShellCommand = FileNew;
    QString m_strFileName;
};
