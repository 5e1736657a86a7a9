#pragma once

#include "core/quality/CQualityVerdict.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// The operator's decisions on a study's impacts: exclude one that passed the
// quality checks, or include one they flagged, each with its reason, who
// made it and when. They are appended to a CSV file in the folder of the
// impact's experiment file or run log, never written into either, so a
// decision can be read, reversed by a later one and audited. The latest
// decision on an impact is the one that holds.
class CStudyDecisions
{
public:
    enum class Kind { Exclude, Include };
    struct Decision {
        Kind kind = Kind::Exclude;
        QString reason;
        QString who;
        QDateTime when;  // UTC
    };
    struct Result {
        bool ok = true;
        QString message;
    };

    static constexpr const char* kFileName = "zentak-decisions.csv";
    static const QStringList& Header();

    // The decisions file beside source (an experiment file or a run log).
    static QString PathFor(const QString& source);
    // Why a reason cannot be recorded, or empty when it can.
    static QString ReasonRefusal(const QString& reason);
    // entry: 1 = a run log's oldest entry, 0 for an experiment file.
    static Result Append(const QString& source, int entry, const Decision& decision);

    // The decision that holds on an impact, read from its folder's file once.
    std::optional<Decision> Find(const QString& source, int entry);
    // Decisions files that could not be read, each with why.
    const QStringList& Problems() const { return m_problems; }

    static QString KindText(Kind kind);
    // Who is deciding: the login name, or "unknown".
    static QString OperatorName();
    // What a decision does to an impact the checks judged so, in words.
    static QString EffectText(Kind kind, const CQualityVerdict& verdict);
    // Whether an impact counts in a study: the decision on it, else its checks.
    static bool Included(bool passed, const std::optional<Decision>& decision)
    {
        return decision ? decision->kind == Kind::Include : passed;
    }

private:
    using Folder = QHash<QString, Decision>;  // by Key()
    static QString Key(const QString& fileName, int entry);
    const Folder& Load(const QString& path);

    QHash<QString, Folder> m_folders;  // by the decisions file's path
    QStringList m_problems;
};
