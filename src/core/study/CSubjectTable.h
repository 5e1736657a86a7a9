#pragma once

#include "core/study/CCsvTable.h"

#include <QHash>
#include <QSet>

// The study's animals: a CSV table with one row per Subject_ID and any
// columns the lab keeps of them (Species, Strain, Sex, Age, Weight, Group,
// Injury_level, ...), joined to impacts by the subject line of their run.
class CSubjectTable
{
public:
    static constexpr const char* kIdColumn = "Subject_ID";
    static constexpr const char* kFileName = "subjects.csv";

    // Refused: no Subject_ID column, a row of another width, a blank or a
    // repeated Subject_ID.
    CCsvTable::Result Load(const QString& path);

    // The table's columns after Subject_ID.
    QStringList Columns() const;
    // The row of a subject, its cells in the order of Columns(); null when
    // the table has no such subject. A subject found is marked as joined.
    const QStringList* Find(const QString& subject);
    // The table's subjects no Find() asked for, in the table's order.
    QStringList Unjoined() const;

private:
    QStringList m_columns;
    QList<QString> m_ids;
    QHash<QString, QStringList> m_rows;
    QSet<QString> m_joined;
};
