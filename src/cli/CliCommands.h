#pragma once

#include <QStringList>

// Each subcommand takes its own arguments (after the subcommand's name) and
// returns the process exit code: 0 success, 1 failure, 2 bad arguments.
namespace CliCommands {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitBadArguments = 2;

}  // namespace CliCommands
