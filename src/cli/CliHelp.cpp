#include "cli/CliHelp.h"

#include "cli/CCliSerialOptions.h"
#include "cli/CliCommands.h"
#include "core/files/CRunLogPath.h"
#include "core/program/CHelpText.h"
#include "core/program/ZentakVersion.h"
#include "core/protocol/CForceSensitivity.h"
#include "core/quality/CRunLogColumns.h"
#include "core/record/CDesiredValueRules.h"
#include "core/record/CRunSubject.h"
#include "core/record/CSerialSettings.h"
#include "core/study/CStudyDecisions.h"
#include "render/CGraphFileWriter.h"

namespace {

using Entry = CHelpText::Entry;
using Section = CHelpText::Section;

struct CommandHelp {
    const char* name;
    const char* synopsis;
    QString summary;
    QStringList description;
    QList<Section> sections;
};

const Entry kHelpEntry{QStringLiteral("-h, --help"), QStringLiteral("Print this help and exit.")};

QString Choices(const QStringList& names)
{
    return names.mid(0, names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" or ") +
           names.constLast();
}

QString InRange(const char* what, const char* unit, CDesiredValueRules::Range range)
{
    return QStringLiteral("%1 in %2, %3 to %4")
        .arg(QLatin1String(what), QLatin1String(unit))
        .arg(range.min)
        .arg(range.max);
}

QList<Entry> SerialEntries()
{
    using Serial = CCliSerialOptions;
    return {
        {QStringLiteral("--port NAME"),
         QStringLiteral("Serial port the control box is on: Com1 to Com9 (on Linux /dev/ttyS0 to "
                        "/dev/ttyS8), a device path such as /dev/ttyUSB0, or Simulator, the "
                        "control box simulated inside Zentak (default %1).")
             .arg(CSerialSettings::kDefaultPort)},
        {QStringLiteral("--baud N"), QStringLiteral("Baud rate in bits per second, %1 to %2 "
                                                    "(default %3).")
                                         .arg(Serial::kMinBaudRate)
                                         .arg(Serial::kMaxBaudRate)
                                         .arg(CSerialSettings::kDefaultBaudRate)},
        {QStringLiteral("--parity P"),
         QStringLiteral("Parity: %1, spelt exactly so (default %2).")
             .arg(Choices(Serial::kParityNames), CSerialSettings::kDefaultParity)},
        {QStringLiteral("--stop-bits S"),
         QStringLiteral("Stop bits: %1 (default %2).")
             .arg(Choices(Serial::kStopBitsTexts), CSerialSettings::kDefaultStopBits)},
        {QStringLiteral("--byte-size N"), QStringLiteral("Data bits per character, %1 to %2 "
                                                         "(default %3).")
                                              .arg(Serial::kMinByteSize)
                                              .arg(Serial::kMaxByteSize)
                                              .arg(CSerialSettings::kDefaultByteSize)},
    };
}

CommandHelp RunHelp()
{
    const QList<Entry> impact{
        {QStringLiteral("--force K"),
         InRange("Desired peak force", "K dynes", CDesiredValueRules::kForceRange) +
             QStringLiteral(". Required: no impact is made at a default force.")},
        {QStringLiteral("--velocity V"),
         InRange("Desired velocity", "mm/s", CDesiredValueRules::kVelocityRange) +
             QStringLiteral(" (default 1).")},
        {QStringLiteral("--dwell S"), InRange("Dwell, the time the probe is held on the cord,",
                                              "seconds", CDesiredValueRules::kDwellRange) +
                                          QStringLiteral(" (default 0).")},
        {QStringLiteral("--disp U"),
         QStringLiteral("Desired displacement in microns, any whole number (default 1); "
                        "answered when the box asks for it.")},
        {QStringLiteral("--mode MODE"),
         QStringLiteral("force or displacement (default force). This release refuses "
                        "displacement impacts, as the window does.")},
        {QStringLiteral("--yes"),
         QStringLiteral("Answer Yes to \"Impact Now?\" and to the box's other questions instead "
                        "of asking on the terminal.")},
        {QStringLiteral("--subject TEXT"),
         QStringLiteral("The animal's ID or other name of this impact, written as \"Subject: "
                        "TEXT\" after the date and time in the comments: one line of at most "
                        "%1 Latin-1 characters; blanks around it are dropped.")
             .arg(CRunSubject::kMaxCharacters)},
        {QStringLiteral("--out FILE.exp"),
         QStringLiteral("Save the experiment file here after the impact.")},
        {QStringLiteral("--csv FILE.csv"),
         QStringLiteral("Write the CSV export here after the impact.")},
        {QStringLiteral("--run-log PATH"),
         QStringLiteral("Append the run to this run log instead of the usual one.")},
    };
    return {"run",
            CliCommands::kRunSynopsis,
            QStringLiteral("Run one impact, log it and save it where asked."),
            {QStringLiteral("Runs one impact on the control box: asks \"Impact Now?\" on the "
                            "terminal (or takes --yes), downloads the samples and prints the "
                            "actual force, displacement and velocity. The completed run is "
                            "appended, stamped with the date and time, to the run log, then saved "
                            "as an experiment file and a CSV export where asked. Exits with 0 "
                            "only when the impact was made and everything asked for was "
                            "written.")},
            {{QStringLiteral("Impact"), impact},
             {QStringLiteral("Serial port"), SerialEntries() + QList<Entry>{kHelpEntry}}}};
}

CommandHelp SensitivityHelp()
{
    return {"sensitivity",
            CliCommands::kSensitivitySynopsis,
            QStringLiteral("Read or set the control box's force sensitivity."),
            {QStringLiteral("Reads the force sensitivity stored in the control box and prints "
                            "\"Force Sensitivity: N\"; with --set it writes a new value after "
                            "\"Confirm Setting?\". Exits with 0 only when the box did what was "
                            "asked (without --set: the stored value is in range).")},
            {{QStringLiteral("Options"),
              QList<Entry>{
                  {QStringLiteral("--set N"),
                   QStringLiteral("The sensitivity to store: the sensor's calibration value in "
                                  "mV/N times ten (543.1 mV/N is 5431), %1 to %2.")
                       .arg(CForceSensitivity::kMinValue)
                       .arg(CForceSensitivity::kMaxValue)},
                  {QStringLiteral("--yes"),
                   QStringLiteral("Answer Yes to \"Confirm Setting?\" instead of asking.")}} +
                  SerialEntries() + QList<Entry>{kHelpEntry}}}};
}

CommandHelp FirmwareHelp()
{
    return {"firmware",
            CliCommands::kFirmwareSynopsis,
            QStringLiteral("Reprogram the control box's firmware."),
            {QStringLiteral("Sends the lines of a firmware file to the control box one by one, "
                            "unchanged, after \"Reprogram Firmware Now?\", with the percentage on "
                            "one line of the terminal. Do not switch off the box or pull the "
                            "cable meanwhile. Exits with 0 only after \"Firmware Upgrade "
                            "Successful!\".")},
            {{QStringLiteral("Arguments"),
              {{QStringLiteral("FILE.hex"), QStringLiteral("The firmware file, a text file.")}}},
             {QStringLiteral("Options"),
              QList<Entry>{{QStringLiteral("--yes"),
                            QStringLiteral("Answer Yes to \"Reprogram Firmware Now?\" instead of "
                                           "asking.")}} +
                  SerialEntries() + QList<Entry>{kHelpEntry}}}};
}

QList<CommandHelp> FileCommandsHelp()
{
    const QSize pane = CGraphFileWriter::kDefaultClientSize;
    const Entry anyLayout{QStringLiteral("FILE"),
                          QStringLiteral("An experiment file in any of its layouts.")};
    return {
        {"show",
         CliCommands::kShowSynopsis,
         QStringLiteral("Print an experiment file as File Open loads it."),
         {QStringLiteral("Prints the record an experiment file holds, values and samples, as the "
                         "window loads it, with any message the load showed. Exits with 1 when "
                         "the load showed a message.")},
         {{QStringLiteral("Arguments"), {anyLayout}},
          {QStringLiteral("Options"),
           {{QStringLiteral("--json"), QStringLiteral("Print the record as one JSON object.")},
            kHelpEntry}}}},
        {"export",
         CliCommands::kExportSynopsis,
         QStringLiteral("Write the CSV export of an experiment file."),
         {QStringLiteral("Writes the displacement (microns) and force (K dynes) traces against "
                         "time (ms) as comma-separated text. Nothing is written when the file did "
                         "not load as a complete record.")},
         {{QStringLiteral("Arguments"), {{QStringLiteral("FILE.exp"), anyLayout.meaning}}},
          {QStringLiteral("Options"),
           {{QStringLiteral("-o, --output OUT.csv"),
             QStringLiteral("The file to write (default: FILE with the extension .csv, beside "
                            "it).")},
            kHelpEntry}}}},
        {"resave",
         CliCommands::kResaveSynopsis,
         QStringLiteral("Save an experiment file of any layout in the current one."),
         {QStringLiteral("Reads IN in any layout and saves it as OUT in the current layout. "
                         "Nothing is written when IN did not load as a complete record.")},
         {{QStringLiteral("Arguments"),
           {{QStringLiteral("IN"), anyLayout.meaning},
            {QStringLiteral("OUT"), QStringLiteral("The experiment file to write.")}}},
          {QStringLiteral("Options"), {kHelpEntry}}}},
        {"render",
         CliCommands::kRenderSynopsis,
         QStringLiteral("Draw the graphs and the sample table as a PNG or a PDF page."),
         {QStringLiteral("Draws what the window's graph pane shows: a PNG of a pane of the given "
                         "size, or an A4 page as printed. Needs no display. Exits with 1 after a "
                         "load message, as show does.")},
         {{QStringLiteral("Arguments"), {{QStringLiteral("FILE.exp"), anyLayout.meaning}}},
          {QStringLiteral("Options"),
           {{QStringLiteral("-o OUT"),
             QStringLiteral("The picture to write: OUT.png, or OUT.pdf for the printed page. "
                            "Required.")},
            {QStringLiteral("--size WxH"),
             QStringLiteral("The pane's width and height in pixels, 1 to %1 each (default %2x%3); "
                            "for a PDF, the pane the text is sized for.")
                 .arg(CliCommands::kRenderMaxSidePx)
                 .arg(pane.width())
                 .arg(pane.height())},
            kHelpEntry}}}},
    };
}

const Entry kGroupByEntry{
    QStringLiteral("--group-by REGEX"),
    QStringLiteral("Group the impacts by the first capture group of this regular expression, "
                   "found in each impact's subject or, without one, its file's name, e.g. "
                   "'^(sham|injured)'. Impacts it does not find form the group \"(no match)\".")};

CommandHelp SummaryHelp()
{
    return {"summary",
            CliCommands::kSummarySynopsis,
            QStringLiteral("Summarise a study: one row per impact, statistics per group."),
            {QStringLiteral(
                 "Prints one row per impact: where it came from, the date and time of its stamp, "
                 "subject, firmware, desired and actual force (K dynes), displacement (microns) "
                 "and velocity (mm/s), the impact measures (see the README's \"Sharing a "
                 "study\" for each one's definition and unit) and the quality check's flags, "
                 "judged by the "
                 "thresholds of the user's settings (the window's View > Quality Check "
                 "Settings...)."),
             QStringLiteral(
                 "With --group-by, each group adds its number of impacts and, over those no "
                 "check flagged (n), the mean and sample standard deviation of the actual "
                 "force, displacement and velocity, with how many impacts each flag excluded."),
             QStringLiteral("Decisions made with exclude and include override the checks of "
                            "their impacts; each is listed on standard error, saying whether it "
                            "changed what the checks said."),
             QStringLiteral("Every input that gives no impact is listed on standard error with "
                            "the reason, and the exit status is then 1.")},
            {{QStringLiteral("Arguments"),
              {{QStringLiteral("FILES_OR_DIRS"),
                QStringLiteral("Experiment files in any layout, and folders: their .exp files, "
                               "subfolders too, in the order of their paths. May be left out "
                               "when --run-log is given.")}}},
             {QStringLiteral("Options"),
              {{QStringLiteral("--run-log PATH"),
                QStringLiteral("Every entry of this run log too, numbered from 1 (the oldest), "
                               "after the files; may be given more than once. A torn entry is "
                               "listed, never left out in silence.")},
               {QStringLiteral("--csv OUT"),
                QStringLiteral("Write the summary here as comma-separated text (8-bit, CR LF): "
                               "the impacts, then after an empty line the groups. Nothing is "
                               "printed then, unless --json is given too.")},
               {QStringLiteral("--json"),
                QStringLiteral("Print one JSON object: the thresholds, the impacts, the groups "
                               "and the inputs that gave no impact (\"unreadable\").")},
               kGroupByEntry,
               {QStringLiteral("--subjects FILE"),
                QStringLiteral("A CSV table of the study's animals, one row per Subject_ID, "
                               "joined to the impacts by their subject (default: subjects.csv "
                               "in a folder given). Impacts and subjects that do not meet are "
                               "listed on standard error.")},
               {QStringLiteral("--odc DIR"),
                QStringLiteral("Write DIR/dataset.csv and DIR/dictionary.csv for the Open Data "
                               "Commons for SCI: one row per impact. Refused, with the list of "
                               "problems and nothing written, when they break its rules.")},
               {QStringLiteral("--odc-check DIR"),
                QStringLiteral("Check DIR/dataset.csv and DIR/dictionary.csv against those "
                               "rules, alone.")},
               kHelpEntry}}}};
}

CommandHelp DecisionHelp(const char* name, const char* synopsis, const QString& summary)
{
    return {name,
            synopsis,
            summary,
            {QStringLiteral(
                 "Records the operator's decision on one impact, with its reason, who made it "
                 "and when, at the end of %1 in the folder of the experiment file or run log; "
                 "neither is changed. exclude leaves out an impact the checks passed; include "
                 "takes in one they flagged, over its flags. The latest decision on an impact "
                 "holds; summary, overlay and the --odc export follow it.")
                 .arg(QLatin1String(CStudyDecisions::kFileName))},
            {{QStringLiteral("Options"),
              {{QStringLiteral("FILE.exp"), QStringLiteral("The impact's experiment file.")},
               {QStringLiteral("--run-log PATH --entry N"),
                QStringLiteral("The impact's entry of a run log, 1 the oldest.")},
               {QStringLiteral("--reason TEXT"), QStringLiteral("Why, in one line. Required.")},
               kHelpEntry}}}};
}

CommandHelp OverlayHelp()
{
    return {"overlay",
            CliCommands::kOverlaySynopsis,
            QStringLiteral("Draw the traces of many impacts over each other, by group."),
            {QStringLiteral(
                "Draws the displacement (microns of travel from the stroke's start) and force "
                "(K dynes) traces of the impacts on one time axis (ms from the first sample), "
                "one colour and dash per group, with each group's mean trace over the impacts "
                "no quality check flagged or the operator included (the others dotted), a legend "
                "and the axes' units: a PNG of an A4 page at 150 dpi or a one-page A4 PDF. Without "
                "--group-by all impacts are one group, \"All impacts\". Every input that gives "
                "no impact is listed on standard error with the reason, and the exit status is "
                "then 1.")},
            {{QStringLiteral("Arguments"),
              {{QStringLiteral("FILES"),
                QStringLiteral("Experiment files in any layout, and folders of them, as for "
                               "summary.")}}},
             {QStringLiteral("Options"),
              {{QStringLiteral("-o OUT"),
                QStringLiteral("The picture to write: OUT.png or OUT.pdf. Required.")},
               kGroupByEntry,
               kHelpEntry}}}};
}

CommandHelp LogHelp()
{
    return {"log",
            CliCommands::kLogSynopsis,
            QStringLiteral("List the run log's entries and write them to files of their own."),
            {CRunLogColumns::HelpText(),
             QStringLiteral(
                 "extract writes the chosen entries, split every entry, each to a file of its "
                 "own, byte for byte the entry's text: the file saving its record would have "
                 "written. The files are named by the stamp and the subject, such as "
                 "2026-12-08_14-03-22_rat_17.exp (run-log-entry-N.exp for an entry without a "
                 "stamp), and never replace a file: one that already holds the entry is left "
                 "as it is, any other is reported and the command exits with 1. The paths of "
                 "the entries' files are printed; text of the log that belongs to no entry is "
                 "reported on standard error."),
             QStringLiteral(
                 "The entries' places are kept in ~/.cache/Zentak/run-log-index ($XDG_CACHE_HOME "
                 "when set), so a log read before is read again only from where it had grown. "
                 "Deleting the folder costs nothing but time.")},
            {{QStringLiteral("Actions"),
              {{QStringLiteral("list"), QStringLiteral("One line per entry.")},
               {QStringLiteral("extract N..."),
                QStringLiteral("The entries with these numbers, each to a file.")},
               {QStringLiteral("split"), QStringLiteral("Every entry, each to a file.")}}},
             {QStringLiteral("Options"),
              {{QStringLiteral("--json"),
                QStringLiteral("list: one JSON object per line and entry instead.")},
               {QStringLiteral("-o, --output FILE.exp"),
                QStringLiteral("extract: the file for the one entry named.")},
               {QStringLiteral("--dir DIR"),
                QStringLiteral("extract, split: the folder the files are written to, named by "
                               "their stamps (made when missing).")},
               {QStringLiteral("--run-log PATH"),
                QStringLiteral("The run log to read instead of the usual one.")},
               kHelpEntry}}}};
}

QList<CommandHelp> Commands()
{
    return QList<CommandHelp>{RunHelp()} + FileCommandsHelp() +
           QList<CommandHelp>{
               LogHelp(),
               SummaryHelp(),
               OverlayHelp(),
               DecisionHelp("exclude", CliCommands::kExcludeSynopsis,
                            QStringLiteral("Leave an impact out of a study, with the reason.")),
               DecisionHelp("include", CliCommands::kIncludeSynopsis,
                            QStringLiteral("Keep a flagged impact in a study, with the reason.")),
               SensitivityHelp(),
               FirmwareHelp()};
}

}  // namespace

QString CliHelp::Program()
{
    QList<Entry> commands;
    for (const CommandHelp& command : Commands())
        commands.append({QLatin1String(command.name), command.summary});
    return CHelpText::Format(
        {QStringLiteral("zentak-cli COMMAND [OPTIONS]"),
         QStringLiteral("zentak-cli COMMAND --help"),
         QStringLiteral("zentak-cli --help | --version")},
        {QStringLiteral(
            "Runs impacts on the ZR spinal cord impactor, reads, converts and draws its "
            "experiment files and looks after its control box, without a window. "
            "Messages and questions go to the terminal (standard error); results to "
            "standard output.")},
        {{QStringLiteral("Commands"), commands},
         {QStringLiteral("Options"),
          {kHelpEntry,
           {QStringLiteral("--version"), QStringLiteral("Print the version and exit.")}}},
         {QStringLiteral("Exit status"),
          {{QStringLiteral("0"), QStringLiteral("Done: everything asked for was done.")},
           {QStringLiteral("1"), QStringLiteral("Failure: the control box did not do what was "
                                                "asked, or a file could not be read or written.")},
           {QStringLiteral("2"),
            QStringLiteral("Bad arguments; the usage is printed on standard error.")}}},
         {QStringLiteral("Environment"),
          {{QLatin1String(CRunLogPath::kEnvironmentVariable),
            QStringLiteral("Full path of the run log that completed impacts are appended to, "
                           "instead of ~/.local/share/Zentak/%1 ($XDG_DATA_HOME/Zentak/%1 when "
                           "XDG_DATA_HOME is set).")
                .arg(QLatin1String(CRunLogPath::kFileName))}}}});
}

QString CliHelp::Command(const QString& name)
{
    for (const CommandHelp& command : Commands()) {
        if (name != QLatin1String(command.name))
            continue;
        QStringList usage;
        for (const QString& line : QString::fromLatin1(command.synopsis).split(u'\n'))
            usage.append(CliHelp::UsageLine(name, line, usage.isEmpty()));
        return CHelpText::Format(usage, command.description, command.sections);
    }
    return QString();
}

// A line that names the command again is a usage of its own; any other
// goes on the line before.
QString CliHelp::UsageLine(const QString& name, const QString& synopsisLine, bool first)
{
    const QString line = synopsisLine.trimmed();
    if (first || line.startsWith(name + u' '))
        return QStringLiteral("zentak-cli ") + line;
    return QString(11, u' ') + line;
}

QString CliHelp::Version()
{
    return QStringLiteral("zentak-cli %1\n").arg(QLatin1String(ZentakVersion::kNumber));
}
