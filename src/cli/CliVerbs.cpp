#include "cli/CliVerbs.h"

#include "cli/CCliArguments.h"
#include "cli/CCliSerialOptions.h"
#include "cli/CliCommands.h"
#include "core/files/CRunLogPath.h"
#include "core/program/ZentakVersion.h"
#include "core/protocol/CForceSensitivity.h"
#include "core/quality/CRunLogColumns.h"
#include "core/record/CDesiredValueRules.h"
#include "core/record/CRunSubject.h"
#include "core/study/CStudyDecisions.h"
#include "render/CGraphFileWriter.h"

#include <QTextStream>

namespace {

using Entry = CHelpText::Entry;
using Option = CCliVerb::Option;
using Use = CCliVerb::Use;

const QString kAnyLayout = QStringLiteral("An experiment file in any of its layouts.");

QString InRange(const char* what, const char* unit, CDesiredValueRules::Range range)
{
    return QStringLiteral("%1 in %2, %3 to %4")
        .arg(QLatin1String(what), QLatin1String(unit))
        .arg(range.min)
        .arg(range.max);
}

Option Yes(const char* question)
{
    return {{QStringLiteral("yes")},
            QString(),
            QStringLiteral("Answer Yes to \"%1\" instead of asking.").arg(QLatin1String(question))};
}

Option Json(const QString& help)
{
    return {{QStringLiteral("json")}, QString(), help};
}

Option RunLog(const QString& help, Use use = Use::Optional)
{
    return {{QStringLiteral("run-log")}, QStringLiteral("PATH"), help, use};
}

// The one file a command writes: -o, --output and the older spellings.
Option Output(const QString& value, const QString& help, Use use = Use::Optional,
              const QStringList& aliases = {})
{
    return {QStringList{QStringLiteral("output"), QStringLiteral("o")} + aliases, value, help, use};
}

Option GroupBy()
{
    return {{QStringLiteral("group-by")},
            QStringLiteral("REGEX"),
            QStringLiteral("Group the impacts by the first capture group of this regular "
                           "expression, found in each impact's subject or, without one, its "
                           "file's name, e.g. '^(sham|injured)'. Impacts it does not find form "
                           "the group \"(no match)\".")};
}

CCliVerb RunVerb()
{
    const QList<Option> impact{
        {{QStringLiteral("force")},
         QStringLiteral("K"),
         InRange("Desired peak force", "K dynes", CDesiredValueRules::kForceRange) +
             QStringLiteral(". Required: no impact is made at a default force."),
         Use::Required},
        {{QStringLiteral("disp")},
         QStringLiteral("U"),
         QStringLiteral("Desired displacement in microns, any whole number (default 1); "
                        "answered when the box asks for it.")},
        {{QStringLiteral("velocity")},
         QStringLiteral("V"),
         InRange("Desired velocity", "mm/s", CDesiredValueRules::kVelocityRange) +
             QStringLiteral(" (default 1).")},
        {{QStringLiteral("dwell")},
         QStringLiteral("S"),
         InRange("Dwell, the time the probe is held on the cord,", "seconds",
                 CDesiredValueRules::kDwellRange) +
             QStringLiteral(" (default 0).")},
        {{QStringLiteral("mode")},
         QStringLiteral("MODE"),
         QStringLiteral("force or displacement (default force). This release refuses "
                        "displacement impacts, as the window does.")},
        {{QStringLiteral("yes")},
         QString(),
         QStringLiteral("Answer Yes to \"Impact Now?\" and to the box's other questions instead "
                        "of asking on the terminal.")},
        {{QStringLiteral("subject")},
         QStringLiteral("TEXT"),
         QStringLiteral("The animal's ID or other name of this impact, written as \"Subject: "
                        "TEXT\" after the date and time in the comments: one line of at most "
                        "%1 Latin-1 characters; blanks around it are dropped.")
             .arg(CRunSubject::kMaxCharacters)},
        Output(QStringLiteral("FILE.exp"),
               QStringLiteral("Save the experiment file here after the impact."), Use::Optional,
               {QStringLiteral("out")}),
        {{QStringLiteral("csv")},
         QStringLiteral("FILE.csv"),
         QStringLiteral("Write the CSV export here after the impact.")},
        RunLog(QStringLiteral("Append the run to this run log instead of the usual one.")),
        Json(QStringLiteral("Print the outcome as one JSON object: the actual values, the "
                            "samples of each stroke, the quality check and the measures.")),
    };
    return {
        .name = QStringLiteral("run"),
        .summary = QStringLiteral("Run one impact, log it and save it where asked."),
        .description = {QStringLiteral(
            "Runs one impact on the control box: asks \"Impact Now?\" on the terminal (or takes "
            "--yes), downloads the samples and prints the actual force, displacement and "
            "velocity. The completed run is appended, stamped with the date and time, to the run "
            "log, then saved as an experiment file and a CSV export where asked. Exits with 0 "
            "only when the impact was made and everything asked for was written.")},
        .options = {{QStringLiteral("Impact"), impact},
                    {QStringLiteral("Serial port"), CCliSerialOptions::Options()}},
        .run = CliCommands::Run,
    };
}

// A command on one experiment file.
CCliVerb OnFile(const QString& name, const QString& summary, const QString& description,
                const QList<Option>& options, int (*run)(const CCliArguments&))
{
    return {
        .name = name,
        .summary = summary,
        .operands = QStringLiteral("FILE.exp"),
        .minOperands = 1,
        .maxOperands = 1,
        .missingOperands = QStringLiteral("no experiment file given"),
        .description = {description},
        .operandHelp = {QStringLiteral("Arguments"), {{QStringLiteral("FILE.exp"), kAnyLayout}}},
        .options = {{QStringLiteral("Options"), options}},
        .run = run};
}

QList<CCliVerb> FileVerbs()
{
    const QSize pane = CGraphFileWriter::kDefaultClientSize;
    CCliVerb render = OnFile(
        QStringLiteral("render"),
        QStringLiteral("Draw the graphs and the sample table as a PNG or a PDF page."),
        QStringLiteral("Draws what the window's graph pane shows: a PNG of a pane of the given "
                       "size, or an A4 page as printed. Needs no display. Exits with 1 after a "
                       "load message, as show does."),
        {Output(QStringLiteral("OUT.png|OUT.pdf"),
                QStringLiteral("The picture to write: OUT.png, or OUT.pdf for the printed page. "
                               "Required."),
                Use::Required),
         {{QStringLiteral("size")},
          QStringLiteral("WxH"),
          QStringLiteral("The pane's width and height in pixels, 1 to %1 each (default %2x%3); "
                         "for a PDF, the pane the text is sized for.")
              .arg(CliCommands::kRenderMaxSidePx)
              .arg(pane.width())
              .arg(pane.height())}},
        CliCommands::RunRender);
    render.bDraws = true;
    return {
        OnFile(QStringLiteral("show"),
               QStringLiteral("Print an experiment file as File Open loads it."),
               QStringLiteral("Prints the record an experiment file holds, values and samples, as "
                              "the window loads it, with any message the load showed. Exits with "
                              "1 when the load showed a message."),
               {Json(QStringLiteral("Print the record as one JSON object."))},
               CliCommands::RunShow),
        OnFile(QStringLiteral("export"),
               QStringLiteral("Write the CSV export of an experiment file."),
               QStringLiteral("Writes the displacement (microns) and force (K dynes) traces "
                              "against time (ms) as comma-separated text. Nothing is written when "
                              "the file did not load as a complete record."),
               {Output(QStringLiteral("OUT.csv"),
                       QStringLiteral("The file to write (default: FILE with the extension .csv, "
                                      "beside it)."))},
               CliCommands::RunExport),
        {.name = QStringLiteral("resave"),
         .summary = QStringLiteral("Save an experiment file of any layout in the current one."),
         .operands = QStringLiteral("IN OUT"),
         .minOperands = 2,
         .maxOperands = 2,
         .missingOperands = QStringLiteral("give the file to read and the file to write"),
         .description = {QStringLiteral(
             "Reads IN in any layout and saves it as OUT in the current layout. Nothing is "
             "written when IN did not load as a complete record.")},
         .operandHelp = {QStringLiteral("Arguments"),
                         {{QStringLiteral("IN"), kAnyLayout},
                          {QStringLiteral("OUT"),
                           QStringLiteral("The experiment file to write.")}}},
         .run = CliCommands::RunResave},
        render,
    };
}

CCliVerb LogVerb()
{
    const Option runLog = RunLog(QStringLiteral("The run log to read instead of the usual one."));
    const Option folder{{QStringLiteral("dir")},
                        QStringLiteral("DIR"),
                        QStringLiteral("extract, split: the folder the files are written to, "
                                       "named by their stamps (made when missing).")};
    Option required = folder;
    required.use = Use::Required;
    Option inOperands = folder;
    inOperands.use = Use::InOperands;
    const Option output =
        Output(QStringLiteral("FILE.exp"),
               QStringLiteral("extract: the file for the one entry named."), Use::InOperands);
    const QString options = QStringLiteral("Options");
    return {
        .name = QStringLiteral("log"),
        .summary = QStringLiteral("List the run log's entries and write them to files of their "
                                  "own."),
        .description =
            {CRunLogColumns::HelpText(),
             QStringLiteral(
                 "extract writes the chosen entries, split every entry, each to a file of its "
                 "own, byte for byte the entry's text: the file saving its record would have "
                 "written. The files are named by the stamp and the subject, such as "
                 "2026-12-08_14-03-22_rat_17.exp (run-log-entry-N.exp for an entry without a "
                 "stamp), and never replace a file: one that already holds the entry is left as "
                 "it is, any other is reported and the command exits with 1. The paths of the "
                 "entries' files are printed; text of the log that belongs to no entry is "
                 "reported on standard error."),
             QStringLiteral(
                 "The entries' places are kept in ~/.cache/Zentak/run-log-index ($XDG_CACHE_HOME "
                 "when set), so a log read before is read again only from where it had grown. "
                 "Deleting the folder costs nothing but time.")},
        .actions = {{.name = QStringLiteral("list"),
                     .summary = QStringLiteral("One line per entry."),
                     .options = {{options,
                                  {Json(QStringLiteral("list: one JSON object per line and entry "
                                                       "instead.")),
                                   runLog}}}},
                    {.name = QStringLiteral("extract"),
                     .summary = QStringLiteral("The entries with these numbers, each to a file."),
                     .operands = QStringLiteral("N... (-o FILE.exp | --dir DIR)"),
                     .minOperands = 1,
                     .maxOperands = -1,
                     .missingOperands =
                         QStringLiteral("give the numbers of the entries to extract"),
                     .options = {{options, {output, inOperands, runLog}}}},
                    {.name = QStringLiteral("split"),
                     .summary = QStringLiteral("Every entry, each to a file."),
                     .options = {{options, {required, runLog}}}}},
        .run = CliCommands::RunLog,
    };
}

CCliVerb SummaryVerb()
{
    return {
        .name = QStringLiteral("summary"),
        .summary = QStringLiteral("Summarise a study: one row per impact, statistics per group."),
        .operands = QStringLiteral("FILES_OR_DIRS..."),
        .maxOperands = -1,
        .description =
            {QStringLiteral(
                 "Prints one row per impact: where it came from, the date and time of its stamp, "
                 "subject, firmware, desired and actual force (K dynes), displacement (microns) "
                 "and velocity (mm/s), the impact measures (see the README's \"Sharing a study\" "
                 "for each one's definition and unit) and the quality check's flags, judged by "
                 "the thresholds of the user's settings (the window's View > Quality Check "
                 "Settings...)."),
             QStringLiteral(
                 "With --group-by, each group adds its number of impacts and, over those no "
                 "check flagged (n), the mean and sample standard deviation of the actual force, "
                 "displacement and velocity, with how many impacts each flag excluded."),
             QStringLiteral("Decisions made with exclude and include override the checks of "
                            "their impacts; each is listed on standard error, saying whether it "
                            "changed what the checks said."),
             QStringLiteral("Every input that gives no impact is listed on standard error with "
                            "the reason, and the exit status is then 1.")},
        .operandHelp = {QStringLiteral("Arguments"),
                        {{QStringLiteral("FILES_OR_DIRS"),
                          QStringLiteral("Experiment files in any layout, and folders: their "
                                         ".exp files, subfolders too, in the order of their "
                                         "paths. May be left out when --run-log is given.")}}},
        .options =
            {{QStringLiteral("Options"),
              {RunLog(QStringLiteral("Every entry of this run log too, numbered from 1 (the "
                                     "oldest), after the files; may be given more than once. A "
                                     "torn entry is listed, never left out in silence.")),
               Output(QStringLiteral("OUT.csv"),
                      QStringLiteral("Write the summary here as comma-separated text (8-bit, CR "
                                     "LF): the impacts, then after an empty line the groups. "
                                     "Nothing is printed then, unless --json is given too."),
                      Use::Optional, {QStringLiteral("csv")}),
               Json(QStringLiteral("Print one JSON object: the thresholds, the impacts, the "
                                   "groups and the inputs that gave no impact "
                                   "(\"unreadable\").")),
               GroupBy(),
               {{QStringLiteral("subjects")},
                QStringLiteral("FILE"),
                QStringLiteral("A CSV table of the study's animals, one row per Subject_ID, "
                               "joined to the impacts by their subject (default: subjects.csv "
                               "in a folder given). Impacts and subjects that do not meet are "
                               "listed on standard error.")},
               {{QStringLiteral("odc")},
                QStringLiteral("DIR"),
                QStringLiteral("Write DIR/dataset.csv and DIR/dictionary.csv for the Open Data "
                               "Commons for SCI: one row per impact. Refused, with the list of "
                               "problems and nothing written, when they break its rules.")},
               {{QStringLiteral("odc-check")},
                QStringLiteral("DIR"),
                QStringLiteral("Check DIR/dataset.csv and DIR/dictionary.csv against those "
                               "rules, alone."),
                Use::Alone}}}},
        .run = CliCommands::RunSummary,
    };
}

CCliVerb OverlayVerb()
{
    return {
        .name = QStringLiteral("overlay"),
        .summary = QStringLiteral("Draw the traces of many impacts over each other, by group."),
        .operands = QStringLiteral("FILES..."),
        .maxOperands = -1,
        .description = {QStringLiteral(
            "Draws the displacement (microns of travel from the stroke's start) and force (K "
            "dynes) traces of the impacts on one time axis (ms from the first sample), one "
            "colour and dash per group, with each group's mean trace over the impacts no quality "
            "check flagged or the operator included (the others dotted), a legend and the axes' "
            "units: a PNG of an A4 page at 150 dpi or a one-page A4 PDF. Without --group-by all "
            "impacts are one group, \"All impacts\". Every input that gives no impact is listed "
            "on standard error with the reason, and the exit status is then 1.")},
        .operandHelp = {QStringLiteral("Arguments"),
                        {{QStringLiteral("FILES"),
                          QStringLiteral("Experiment files in any layout, and folders of them, as "
                                         "for summary.")}}},
        .options = {{QStringLiteral("Options"),
                     {Output(QStringLiteral("OUT.png|OUT.pdf"),
                             QStringLiteral("The picture to write: OUT.png or OUT.pdf. Required."),
                             Use::Required),
                      GroupBy()}}},
        .run = CliCommands::RunOverlay,
        .bDraws = true,
    };
}

CCliVerb DecisionVerb(const QString& name, const QString& summary, int (*run)(const CCliArguments&))
{
    return {
        .name = name,
        .summary = summary,
        .operands = QStringLiteral("(FILE.exp | --run-log PATH --entry N)"),
        .maxOperands = 1,
        .description = {QStringLiteral(
                            "Records the operator's decision on one impact, with its reason, who "
                            "made it and when, at the end of %1 in the folder of the experiment "
                            "file or run log; neither is changed. exclude leaves out an impact "
                            "the checks passed; include takes in one they flagged, over its "
                            "flags. The latest decision on an impact holds; summary, overlay and "
                            "the --odc export follow it.")
                            .arg(QLatin1String(CStudyDecisions::kFileName))},
        .operandHelp = {QStringLiteral("Arguments"),
                        {{QStringLiteral("FILE.exp"), QStringLiteral("The impact's experiment "
                                                                     "file.")}}},
        .options = {{QStringLiteral("Options"),
                     {RunLog(QStringLiteral("With --entry: the run log that holds the impact."),
                             Use::InOperands),
                      {{QStringLiteral("entry")},
                       QStringLiteral("N"),
                       QStringLiteral("The impact's entry of that run log, 1 the oldest."),
                       Use::InOperands},
                      {{QStringLiteral("reason")},
                       QStringLiteral("TEXT"),
                       QStringLiteral("Why, in one line. Required."),
                       Use::Required}}}},
        .run = run,
    };
}

CCliVerb SensitivityVerb()
{
    return {
        .name = QStringLiteral("sensitivity"),
        .summary = QStringLiteral("Read or set the control box's force sensitivity."),
        .description = {QStringLiteral(
            "Reads the force sensitivity stored in the control box and prints \"Force "
            "Sensitivity: N\"; with --set it writes a new value after \"Confirm Setting?\". "
            "Exits with 0 only when the box did what was asked (without --set: the stored value "
            "is in range).")},
        .options = {{QStringLiteral("Options"),
                     QList<Option>{{{QStringLiteral("set")},
                                    QStringLiteral("N"),
                                    QStringLiteral("The sensitivity to store: the sensor's "
                                                   "calibration value in mV/N times ten (543.1 "
                                                   "mV/N is 5431), %1 to %2.")
                                        .arg(CForceSensitivity::kMinValue)
                                        .arg(CForceSensitivity::kMaxValue)},
                                   Yes("Confirm Setting?"),
                                   Json(QStringLiteral("Print {\"forceSensitivity\": N} "
                                                       "instead."))} +
                         CCliSerialOptions::Options()}},
        .run = CliCommands::RunSensitivity,
    };
}

CCliVerb FirmwareVerb()
{
    return {
        .name = QStringLiteral("firmware"),
        .summary = QStringLiteral("Reprogram the control box's firmware."),
        .operands = QStringLiteral("FILE.hex"),
        .minOperands = 1,
        .maxOperands = 1,
        .missingOperands = QStringLiteral("which firmware file?"),
        .description = {QStringLiteral(
            "Sends the lines of a firmware file to the control box one by one, unchanged, after "
            "\"Reprogram Firmware Now?\", with the percentage on one line of the terminal. Do "
            "not switch off the box or pull the cable meanwhile. Exits with 0 only after "
            "\"Firmware Upgrade Successful!\".")},
        .operandHelp = {QStringLiteral("Arguments"),
                        {{QStringLiteral("FILE.hex"),
                          QStringLiteral("The firmware file, a text file.")}}},
        .options = {{QStringLiteral("Options"),
                     QList<Option>{Yes("Reprogram Firmware Now?")} + CCliSerialOptions::Options()}},
        .run = CliCommands::RunFirmware,
    };
}

int Print(const QString& text)
{
    QTextStream(stdout) << text;
    return CliCommands::kExitSuccess;
}

int RunHelp(const CCliArguments& arguments)
{
    if (arguments.Operands().isEmpty())
        return Print(CliVerbs::ProgramHelp());
    const QString name = arguments.Operands().constFirst();
    const CCliVerb* verb = CliVerbs::Find(name);
    return verb ? Print(verb->Help())
                : arguments.BadArguments(QStringLiteral("unknown command '%1'").arg(name));
}

CCliVerb HelpVerb()
{
    return {
        .name = QStringLiteral("help"),
        .summary = QStringLiteral("Print the help of a command, or of the program."),
        .operands = QStringLiteral("[COMMAND]"),
        .maxOperands = 1,
        .description = {QStringLiteral("Prints what \"zentak-cli COMMAND --help\" prints; "
                                       "without COMMAND, what \"zentak-cli --help\" prints.")},
        .operandHelp = {QStringLiteral("Arguments"),
                        {{QStringLiteral("COMMAND"), QStringLiteral("One of the commands.")}}},
        .run = RunHelp,
    };
}

QList<CCliVerb> MakeVerbs()
{
    return QList<CCliVerb>{RunVerb()} + FileVerbs() +
           QList<CCliVerb>{
               LogVerb(),
               SummaryVerb(),
               OverlayVerb(),
               DecisionVerb(QStringLiteral("exclude"),
                            QStringLiteral("Leave an impact out of a study, with the reason."),
                            CliCommands::RunExclude),
               DecisionVerb(QStringLiteral("include"),
                            QStringLiteral("Keep a flagged impact in a study, with the reason."),
                            CliCommands::RunInclude),
               SensitivityVerb(),
               FirmwareVerb(),
               HelpVerb()};
}

}  // namespace

const QList<CCliVerb>& CliVerbs::All()
{
    static const QList<CCliVerb> verbs = MakeVerbs();
    return verbs;
}

const CCliVerb* CliVerbs::Find(const QString& name)
{
    for (const CCliVerb& verb : All()) {
        if (verb.name == name)
            return &verb;
    }
    return nullptr;
}

QStringList CliVerbs::ProgramUsage()
{
    QStringList lines;
    for (const CCliVerb& verb : All())
        lines += verb.UsageLines();
    return lines;
}

QString CliVerbs::ProgramHelp()
{
    QList<Entry> commands;
    for (const CCliVerb& verb : All())
        commands.append({verb.name, verb.summary});
    return CHelpText::Format(
        {QStringLiteral("zentak-cli COMMAND [OPTIONS]"),
         QStringLiteral("zentak-cli COMMAND --help"), QStringLiteral("zentak-cli help [COMMAND]"),
         QStringLiteral("zentak-cli --help | --version")},
        {QStringLiteral(
            "Runs impacts on the ZR spinal cord impactor, reads, converts and draws its "
            "experiment files and looks after its control box, without a window. "
            "Messages and questions go to the terminal (standard error); results to "
            "standard output.")},
        {{QStringLiteral("Commands"), commands},
         {QStringLiteral("Options"),
          {{QStringLiteral("-h, --help"), QStringLiteral("Print this help and exit.")},
           {QStringLiteral("--version"), QStringLiteral("Print the version and exit.")}}},
         {QStringLiteral("Exit status"),
          {{QStringLiteral("0"), QStringLiteral("Done: everything asked for was done.")},
           {QStringLiteral("1"), QStringLiteral("Failure: the control box did not do what was "
                                                "asked, or a file could not be read or written.")},
           {QStringLiteral("2"),
            QStringLiteral("Bad arguments: what is wrong, then the usage, on standard error.")}}},
         {QStringLiteral("Environment"),
          {{QLatin1String(CRunLogPath::kEnvironmentVariable),
            QStringLiteral("Full path of the run log that completed impacts are appended to, "
                           "instead of ~/.local/share/Zentak/%1 ($XDG_DATA_HOME/Zentak/%1 when "
                           "XDG_DATA_HOME is set).")
                .arg(QLatin1String(CRunLogPath::kFileName))}}}});
}

QString CliVerbs::Version()
{
    return QStringLiteral("zentak-cli %1\n").arg(QLatin1String(ZentakVersion::kNumber));
}

int CliCommands::BadArguments(const QString& verb, const QString& problem, const QStringList& usage)
{
    QTextStream(stderr) << "zentak-cli" << (verb.isEmpty() ? QString() : u' ' + verb) << ": "
                        << problem << '\n'
                        << CHelpText::Format(usage, {}, {});
    return kExitBadArguments;
}
