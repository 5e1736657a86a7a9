#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A comma-separated table as RFC 4180 has it: a header line, then rows;
// fields with a comma, a quote or a line break are quoted, quotes doubled.
// Lines end in CR LF like the program's other text files; LF alone reads too.
class CCsvTable
{
public:
    struct Result {
        bool ok = true;
        QString message;
    };

    // A file of UTF-8 text; an empty file or an unclosed quote is refused.
    static Result Read(const QString& path, CCsvTable& table);
    static Result Parse(const QString& text, CCsvTable& table);

    static QString Field(const QString& text);
    static QString Line(const QStringList& fields);
    QString Text() const;

    // The column's place in the header, or -1.
    qsizetype Column(const QString& name) const { return m_header.indexOf(name); }

    QStringList m_header;
    QList<QStringList> m_rows;
};
