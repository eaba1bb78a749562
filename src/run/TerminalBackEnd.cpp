#include "run/TerminalBackEnd.h"

#include <QProcess>

TerminalBackEnd::~TerminalBackEnd()
{
    for (QProcess *process : findChildren<QProcess *>())
        process->disconnect();
}
