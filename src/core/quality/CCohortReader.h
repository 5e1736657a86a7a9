#pragma once

#include "core/record/CImpactRecord.h"

#include <QString>
#include <QStringList>

#include <functional>

class CRunLogReader;

// The impacts of a study, read from experiment files, folders of them and
// run logs, one at a time, so a study of any size fits in memory. Every input that
// gives no impact is reported with its reason, never left out in silence.
class CCohortReader
{
public:
    struct Run {
        QString source;  // the experiment file, or the run log the entry is in
        int entry = 0;   // 1 = the log's oldest entry; 0 for a file
        CImpactRecord record;
    };
    struct Problem {
        QString source;
        int entry = 0;
        QString reason;
        bool operator==(const Problem&) const = default;
    };
    using RunVisitor = std::function<void(const Run&)>;
    using ProblemVisitor = std::function<void(const Problem&)>;

    CCohortReader(RunVisitor onRun, ProblemVisitor onProblem);

    // A file is read as File Open reads it; a folder gives its ".exp" files,
    // subfolders too, in the order of their paths.
    void ReadPaths(const QStringList& paths);

    // Every entry of a run log, oldest first, read as a saved file with its
    // text would be; a torn entry and text that belongs to no entry are
    // problems. indexCacheFolder: where the log's index is kept (empty: none).
    void ReadRunLog(const QString& path, const QString& indexCacheFolder);

    // Why a loaded record is no impact of a study, or empty when it is one.
    static QString WhyNoImpact(const QString& loadMessage, bool loadedWhole, bool dataPresent);
    // Entry index of an opened log read into record; why it is no impact,
    // or empty when it is one.
    static QString ReadLogEntry(const CRunLogReader& log, qsizetype index, CImpactRecord& record);

private:
    void ReadFolder(const QString& path);
    void ReadFile(const QString& path);

    RunVisitor m_fnOnRun;
    ProblemVisitor m_fnOnProblem;
};
