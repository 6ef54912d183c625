#include "command_line_info.h"

void CCommandLineInfo::Parse(const QStringList& arguments) {
    for (const QString& argument : arguments) {
        if (argument.isEmpty() || argument.startsWith(QLatin1Char('-')))
            continue;
        m_strFileName = argument;
        m_nShellCommand = FileOpen;
        return;
    }
}
