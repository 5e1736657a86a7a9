#pragma once

#include "cli/CCliVerb.h"

#include <QList>
#include <QString>

// zentak-cli's commands, the one table its parsing, usage, --help and
// manual page come from.
namespace CliVerbs {

const QList<CCliVerb>& All();
// Null for a name that is not a command.
const CCliVerb* Find(const QString& name);
// Every command's usage lines, for a command line that names none.
QStringList ProgramUsage();
QString ProgramHelp();
QString Version();

}  // namespace CliVerbs
