#include "cli/CliLogCommand.h"

#include "cli/CCliArguments.h"
#include "cli/CliCommands.h"
#include "core/files/CPlatformFile.h"
#include "core/files/CRunFileName.h"
#include "core/files/CRunLogPath.h"
#include "core/files/CRunLogReader.h"
#include "core/files/CWholeFileWrite.h"
#include "core/quality/CQualitySettings.h"
#include "core/quality/CRunLogColumns.h"
#include "core/quality/CRunLogQuality.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace {

const QString kOutput = QStringLiteral("output");
const QString kFolder = QStringLiteral("dir");

// Text from the log as a terminal shows it: control characters (an escape
// sequence could take the terminal over) as "\x1b".
QString Shown(const QString& text)
{
    QString shown;
    for (QChar c : text) {
        const ushort code = c.unicode();
        if (code < 0x20 || (code >= 0x7F && code <= 0x9F))
            shown += QStringLiteral("\\x%1").arg(code, 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

// Columns padded, a line never ends in blanks.
QString ListLine(const QStringList& cells, const QList<int>& widths)
{
    QString line;
    for (int id = 0; id < CRunLogColumns::kListedCount; ++id)
        line += QString(CRunLogColumns::At(id).gap, u' ') +
                QStringLiteral("%1").arg(cells[id], widths[id]);
    while (line.endsWith(u' '))
        line.chop(1);
    return line + u'\n';
}

// Only a regular file under the name itself, and no more of it than the
// entry and one byte: a pipe is never waited on, a link never followed, a
// device never read without end.
bool HoldsEntry(const QString& path, const QByteArray& text)
{
    QFile file(path);
    return CPlatformFile::OpenRegular(file, QIODevice::ReadOnly | QIODevice::Unbuffered, false,
                                      nullptr) &&
           file.read(text.size() + 1) == text;
}

}  // namespace

// Empty when the action's arguments go together, else what is wrong.
QString CCliLogCommand::Problem(const CCliArguments& arguments)
{
    const bool extract = arguments.ActionName() == QLatin1String("extract");
    const bool output = arguments.IsSet(kOutput);
    if (extract && output == arguments.IsSet(kFolder))
        return QStringLiteral("give either -o FILE.exp or --dir DIR");
    if (extract && output && arguments.Operands().size() > 1)
        return QStringLiteral("-o names one file; give --dir DIR for several entries");
    if (arguments.ActionName() == QLatin1String("split") && !arguments.IsSet(kFolder))
        return QStringLiteral("--dir DIR is required");
    return QString();
}

int CCliLogCommand::Run(const CCliArguments& arguments)
{
    QTextStream err(stderr);
    const QString action = arguments.ActionName();
    const QString problem = Problem(arguments);
    if (!problem.isEmpty())
        return arguments.BadArguments(problem);
    const QStringList& numbers = arguments.Operands();
    const bool extract = action == QLatin1String("extract");
    const QString path = CRunLogPath::Resolve(arguments.Value(QStringLiteral("run-log")));
    CRunLogReader log;
    if (!OpenLog(log, path, err))
        return CliCommands::kExitFailure;
    if (action == QLatin1String("list"))
        return List(log, arguments.IsSet(QStringLiteral("json")));
    QList<qsizetype> indexes;
    QString why = Selected(log, numbers, extract, indexes);
    // An entry the kept index lies about is never written: the log is
    // indexed afresh (the lying index is gone) and the numbers taken again.
    if (why.isEmpty() && !log.EntriesMatchLog(indexes)) {
        QString error;
        if (log.Open(path, error) != CRunLogReader::OpenResult::Opened) {
            err << error << '\n';
            return CliCommands::kExitFailure;
        }
        why = Selected(log, numbers, extract, indexes);
    }
    if (!why.isEmpty())
        return arguments.BadArguments(why);
    return Extract(log, indexes, arguments.Value(kOutput), arguments.Value(kFolder));
}

// The entries the numbers name (all of them for split); empty, or why not.
QString CCliLogCommand::Selected(const CRunLogReader& log, const QStringList& numbers, bool extract,
                                 QList<qsizetype>& indexes)
{
    indexes.clear();
    for (const QString& number : numbers) {
        bool ok = false;
        const qsizetype value = number.toLongLong(&ok);
        if (!ok || value < 1 || value > log.Entries().size())
            return QStringLiteral("there is no entry %1: the log holds %2 entries, numbered from "
                                  "1 (the oldest)")
                .arg(number)
                .arg(log.Entries().size());
        indexes.append(value - 1);
    }
    if (!extract) {
        for (qsizetype i = 0; i < log.Entries().size(); ++i)
            indexes.append(i);
    }
    return QString();
}

bool CCliLogCommand::OpenLog(CRunLogReader& log, const QString& path, QTextStream& err)
{
    QString error;
    if (log.Open(path, error) == CRunLogReader::OpenResult::Opened) {
        TellForeignText(log, err);
        return true;
    }
    err << error << '\n';
    return false;
}

void CCliLogCommand::TellForeignText(const CRunLogReader& log, QTextStream& err)
{
    for (const CRunLogIndex::ForeignText& text : log.ForeignText())
        err << QStringLiteral("%1: %2 bytes at offset %3 belong to no entry.\n")
                   .arg(QDir::toNativeSeparators(log.Path()))
                   .arg(text.m_nLength)
                   .arg(text.m_nOffset);
    err.flush();
}

int CCliLogCommand::List(CRunLogReader& log, bool json)
{
    QTextStream out(stdout);
    // Judging may find the kept index wrong and list the log afresh.
    const QList<std::optional<CQualityVerdict>> verdicts =
        CRunLogQuality::Verdicts(log, CQualitySettings::Load());
    const QList<CRunLogEntry>& entries = log.Entries();
    QStringList heading;
    QList<int> widths;
    for (int id = 0; id < CRunLogColumns::kListedCount; ++id) {
        heading.append(QLatin1String(CRunLogColumns::At(id).heading));
        widths.append(CRunLogColumns::At(id).width);
    }
    QList<QStringList> lines;
    for (qsizetype i = 0; i < entries.size() && !json; ++i) {
        const CRunLogColumns::Listed listed{entries[i], i + 1, verdicts[i]};
        QStringList& cells = lines.emplace_back();
        for (int id = 0; id < CRunLogColumns::kListedCount; ++id) {
            cells.append(Shown(CRunLogColumns::Text(id, listed)));
            if (CRunLogColumns::At(id).width == 0)
                widths[id] = qMin(widths[id], -int(qMax(heading[id].size(), cells[id].size())));
        }
    }
    if (!json)
        out << ListLine(heading, widths);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        if (json)
            out << QString::fromUtf8(
                       QJsonDocument(CRunLogColumns::Json({entries[i], i + 1, verdicts[i]}))
                           .toJson(QJsonDocument::Compact))
                << '\n';
        else
            out << ListLine(lines[i], widths);
    }
    return CliCommands::kExitSuccess;
}

int CCliLogCommand::Extract(CRunLogReader& log, const QList<qsizetype>& indexes,
                            const QString& outPath, const QString& folder)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!folder.isEmpty() && !QDir().mkpath(folder)) {
        err << QStringLiteral("The folder %1 could not be created.\n")
                   .arg(QDir::toNativeSeparators(folder));
        return CliCommands::kExitFailure;
    }
    bool allWritten = true;
    for (qsizetype index : indexes) {
        const QString path =
            outPath.isEmpty()
                ? QDir(folder).filePath(CRunFileName::ForEntry(log.Entries()[index], index + 1))
                : outPath;
        allWritten = WriteEntry(log, index, path, out, err) && allWritten;
    }
    return allWritten ? CliCommands::kExitSuccess : CliCommands::kExitFailure;
}

// A file that already holds exactly the entry is the entry's file: running
// split again over a grown log writes only the new entries.
bool CCliLogCommand::WriteEntry(CRunLogReader& log, qsizetype index, const QString& path,
                                QTextStream& out, QTextStream& err)
{
    QString error;
    const QByteArray text = log.EntryText(index, error);
    const QString shown = QDir::toNativeSeparators(path);
    if (text.isEmpty()) {
        err << QStringLiteral("Entry %1: %2\n").arg(index + 1).arg(error);
        return false;
    }
    bool alreadyThere = HoldsEntry(path, text);
    if (!alreadyThere) {
        const CWholeFileWrite::Created created =
            CWholeFileWrite::CreateNew(path, text, {log.Path()});
        using Outcome = CWholeFileWrite::Created::Outcome;
        // Another split into the same folder may have written it meanwhile.
        alreadyThere = created.outcome == Outcome::NameTaken && HoldsEntry(path, text);
        if (created.outcome != Outcome::Written && !alreadyThere) {
            err << QStringLiteral("Entry %1: %2\n").arg(index + 1).arg(created.message);
            if (created.outcome == Outcome::NameTaken)
                err << QStringLiteral("Give it a name of its own: zentak-cli log extract %1 -o "
                                      "FILE.exp\n")
                           .arg(index + 1);
            return false;
        }
    }
    if (alreadyThere)
        err << QStringLiteral("Entry %1: %2 already holds it.\n").arg(index + 1).arg(shown);
    if (log.Entries()[index].m_bTorn)
        err << QStringLiteral("Entry %1 is torn: %2 holds as much of it as the log does and "
                              "will not open as a complete record.\n")
                   .arg(index + 1)
                   .arg(shown);
    out << shown << '\n';
    out.flush();
    err.flush();
    return true;
}

int CliCommands::RunLog(const CCliArguments& arguments)
{
    return CCliLogCommand::Run(arguments);
}
