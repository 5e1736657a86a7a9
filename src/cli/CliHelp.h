#pragma once

#include <QString>

// What zentak-cli prints for --help: the program's overview with its
// commands, and each command's options with their units and ranges. The
// manual page is made from these texts.
namespace CliHelp {

QString Program();
// Empty for a name that is not a command.
QString Command(const QString& name);
QString Version();
// One line of a command's usage from a line of its synopsis.
QString UsageLine(const QString& name, const QString& synopsisLine, bool first);

}  // namespace CliHelp
