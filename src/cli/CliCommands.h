#pragma once

#include <QString>
#include <QStringList>

class CCliArguments;

// Each command takes its arguments as its entry of CliVerbs read them and
// returns the process exit code: 0 success, 1 failure, 2 bad arguments.
namespace CliCommands {

constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitBadArguments = 2;

// "zentak-cli VERB: problem" then the usage on stderr; kExitBadArguments.
int BadArguments(const QString& verb, const QString& problem, const QStringList& usage);

// zentak-cli run: one impact (CliRunCommand.cpp).
int Run(const CCliArguments& arguments);

// Experiment files: print, export as CSV, save in the current layout.
int RunShow(const CCliArguments& arguments);
int RunExport(const CCliArguments& arguments);
int RunResave(const CCliArguments& arguments);

// The graph pane's picture as a PNG or a printed page as a PDF.
inline constexpr int kRenderMaxSidePx = 16384;
int RunRender(const CCliArguments& arguments);

// A study: one row per impact of files, folders and run logs, with each
// group's statistics; and the traces of many impacts drawn over each other.
int RunSummary(const CCliArguments& arguments);
int RunOverlay(const CCliArguments& arguments);

// The operator's decision on one impact of a study, with its reason, kept
// in a decisions file beside the experiment file or run log.
int RunExclude(const CCliArguments& arguments);
int RunInclude(const CCliArguments& arguments);

// The control box's maintenance: its force sensitivity and its firmware.
int RunSensitivity(const CCliArguments& arguments);
int RunFirmware(const CCliArguments& arguments);

// The run log read back: its entries listed, and written to files of their own.
int RunLog(const CCliArguments& arguments);

}  // namespace CliCommands
