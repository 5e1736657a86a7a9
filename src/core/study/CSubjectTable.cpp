#include "core/study/CSubjectTable.h"

CCsvTable::Result CSubjectTable::Load(const QString& path)
{
    CCsvTable table;
    const CCsvTable::Result read = CCsvTable::Read(path, table);
    if (!read.ok)
        return read;
    const qsizetype id = table.Column(QLatin1String(kIdColumn));
    if (id < 0)
        return {false, path + QStringLiteral(": It has no Subject_ID column.")};
    m_columns = table.m_header;
    m_columns.removeAt(id);
    for (qsizetype i = 0; i < table.m_rows.size(); ++i) {
        QStringList row = table.m_rows[i];
        const QString where = QStringLiteral("%1: line %2 ").arg(path).arg(i + 2);
        if (row.size() != table.m_header.size())
            return {false, where + QStringLiteral("has %1 fields; the header has %2.")
                                       .arg(row.size())
                                       .arg(table.m_header.size())};
        const QString subject = row.takeAt(id).trimmed();
        if (subject.isEmpty())
            return {false, where + QStringLiteral("has no Subject_ID.")};
        if (m_rows.contains(subject))
            return {false, where + QStringLiteral("repeats the subject %1.").arg(subject)};
        m_ids.append(subject);
        m_rows.insert(subject, row);
    }
    return {};
}

QStringList CSubjectTable::Columns() const
{
    return m_columns;
}

const QStringList* CSubjectTable::Find(const QString& subject)
{
    const auto found = m_rows.constFind(subject);
    if (found == m_rows.cend())
        return nullptr;
    m_joined.insert(subject);
    return &*found;
}

QStringList CSubjectTable::Unjoined() const
{
    QStringList ids;
    for (const QString& id : m_ids) {
        if (!m_joined.contains(id))
            ids.append(id);
    }
    return ids;
}
