#pragma once

#include "cli/CCliSerialOptions.h"

#include <QString>
#include <QStringList>

#include <optional>

class CCliArguments;
class COperatorPrompt;
class CImpactRecord;
class CZentakDoc;
class QDateTime;

// zentak-cli run: one impact through the same dialogue the window runs, with
// the serial settings and desired values given on the command line.
class CCliRunCommand
{
public:
    struct Request {
        int force = 0;
        int displacement = 1;
        int velocity = 1;
        int dwell = 0;
        int mode = 0;
        CSerialSettings serial;
        bool answerYes = false;
        bool bJson = false;  // the outcome as one JSON object
        QString outPath;     // experiment file to save, if any
        QString csvPath;     // CSV export to write, if any
        QString runLogPath;  // run log to append to instead of the default
        QString subject;     // normalized and checked; empty: none
    };

    // The request, or nothing with error set to what was wrong.
    static std::optional<Request> Parse(const CCliArguments& arguments, QString& error);

    // The process exit code: 0 impact made, logged and saved where asked,
    // 1 any failure, 2 bad arguments.
    static int Run(const CCliArguments& arguments);

private:
    static int Execute(const Request& request);
    // The run log and the files asked for, checked before the box is woken:
    // the operator's message when one of them cannot be written.
    static QString TargetsRefusal(const CZentakDoc& doc, const Request& request);
    // Saves a run the log does not hold to a file of its own and says where.
    static void KeepUnloggedRun(const CImpactRecord& record, const QDateTime& stamp,
                                COperatorPrompt& prompt);
    // False after telling the operator which file could not be written.
    static bool SaveWhereAsked(CZentakDoc& doc, const Request& request, COperatorPrompt& prompt);
};
