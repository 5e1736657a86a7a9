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
    "      [--port NAME] [--baud N] [--parity P] [--stop-bits S] [--byte-size N] [--yes]\n"
    "      [--subject TEXT] [--out FILE.exp] [--csv FILE.csv] [--run-log PATH]";
int Run(const QStringList& arguments);

// Experiment files: print, export as CSV, save in the current layout.
inline constexpr char kShowSynopsis[] = "show FILE [--json]";
inline constexpr char kExportSynopsis[] = "export FILE.exp [-o OUT.csv]";
inline constexpr char kResaveSynopsis[] = "resave IN OUT";
int RunShow(const QStringList& args);
int RunExport(const QStringList& args);
int RunResave(const QStringList& args);

// The graph pane's picture as a PNG or a printed page as a PDF.
inline constexpr char kRenderSynopsis[] = "render FILE.exp -o OUT.png|OUT.pdf [--size WxH]";
inline constexpr int kRenderMaxSidePx = 16384;
int RunRender(const QStringList& args);

// A study: one row per impact of files, folders and run logs, with each
// group's statistics; and the traces of many impacts drawn over each other.
inline constexpr char kSummarySynopsis[] =
    "summary FILES_OR_DIRS... [--run-log PATH] [--csv OUT | --json] [--group-by REGEX]\n"
    "      [--subjects FILE] [--odc DIR]\n"
    "      summary --odc-check DIR";
int RunSummary(const QStringList& args);
inline constexpr char kOverlaySynopsis[] = "overlay FILES... -o OUT.png|OUT.pdf [--group-by REGEX]";
int RunOverlay(const QStringList& args);

// The operator's decision on one impact of a study, with its reason, kept
// in a decisions file beside the experiment file or run log.
inline constexpr char kExcludeSynopsis[] =
    "exclude (FILE.exp | --run-log PATH --entry N) --reason TEXT";
inline constexpr char kIncludeSynopsis[] =
    "include (FILE.exp | --run-log PATH --entry N) --reason TEXT";
int RunExclude(const QStringList& args);
int RunInclude(const QStringList& args);

// The control box's maintenance: its force sensitivity and its firmware.
inline constexpr char kSensitivitySynopsis[] =
    "sensitivity [--set N] [--yes]\n"
    "      [--port NAME] [--baud N] [--parity P] [--stop-bits S] [--byte-size N]";
inline constexpr char kFirmwareSynopsis[] =
    "firmware FILE.hex [--yes]\n"
    "      [--port NAME] [--baud N] [--parity P] [--stop-bits S] [--byte-size N]";
int RunSensitivity(const QStringList& args);

// The run log read back: its entries listed, and written to files of their own.
inline constexpr char kLogSynopsis[] =
    "log list [--json] [--run-log PATH]\n"
    "      log extract N... (-o FILE.exp | --dir DIR) [--run-log PATH]\n"
    "      log split --dir DIR [--run-log PATH]";
int RunLog(const QStringList& args);
int RunFirmware(const QStringList& args);

}  // namespace CliCommands
