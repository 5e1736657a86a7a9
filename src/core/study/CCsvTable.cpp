#include "core/study/CCsvTable.h"

#include "core/files/CFileErrorText.h"

#include <QFile>

#include <algorithm>

namespace {

// Splits text into records of fields; false when a quote is never closed.
bool SplitRecords(const QString& text, QList<QStringList>& records)
{
    QStringList record;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c != u'"')
                field += c;
            else if (i + 1 < text.size() && text[i + 1] == u'"')
                field += text[++i];
            else
                quoted = false;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            record.append(field);
            field.clear();
        } else if (c == u'\n' || c == u'\r') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            record.append(field);
            records.append(record);
            record.clear();
            field.clear();
        } else {
            field += c;
        }
    }
    if (!field.isEmpty() || !record.isEmpty())
        records.append(record << field);
    return !quoted;
}

}  // namespace

CCsvTable::Result CCsvTable::Read(const QString& path, CCsvTable& table)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {false, CFileErrorText::ForOpenToRead(path, file)};
    Result result = Parse(QString::fromUtf8(file.readAll()), table);
    if (!result.ok)
        result.message = path + QStringLiteral(": ") + result.message;
    return result;
}

CCsvTable::Result CCsvTable::Parse(const QString& text, CCsvTable& table)
{
    // Spreadsheets save "UTF-8 CSV" with a byte order mark before the header.
    const bool bom = text.startsWith(QChar(0xFEFF));
    QList<QStringList> records;
    if (!SplitRecords(bom ? text.mid(1) : text, records))
        return {false, QStringLiteral("A quoted field is never closed.")};
    if (records.isEmpty())
        return {false, QStringLiteral("It holds no header line.")};
    table.m_header = records.takeFirst();
    table.m_rows = records;
    return {};
}

QString CCsvTable::Field(const QString& text)
{
    static const QString special = QStringLiteral(",\"\r\n");
    if (std::none_of(text.cbegin(), text.cend(), [](QChar c) { return special.contains(c); }))
        return text;
    return u'"' + QString(text).replace(QLatin1String("\""), QLatin1String("\"\"")) + u'"';
}

QString CCsvTable::Line(const QStringList& fields)
{
    QStringList quoted;
    for (const QString& field : fields)
        quoted.append(Field(field));
    return quoted.join(u',') + QStringLiteral("\r\n");
}

QString CCsvTable::Text() const
{
    QString text = Line(m_header);
    for (const QStringList& row : m_rows)
        text += Line(row);
    return text;
}
