#pragma once

#include <QStringList>

// Each subcommand takes its own arguments (after the subcommand's name) and
// returns the process exit code: 0 success, 1 failure, 2 bad arguments.
namespace CliCommands {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitBadArguments = 2;

// zentak-cli run: one impact (CliRunCommand.cpp).
constexpr const char* kRunSynopsis =
    "run --force K [--disp U] [--velocity V] [--dwell S] [--mode force|displacement]\n"
    "      [--port NAME] [--baud N] [--parity P] [--stop-bits S] [--byte-size N] [--yes]";
int Run(const QStringList& arguments);

}  // namespace CliCommands
