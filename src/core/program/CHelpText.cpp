#include "core/program/CHelpText.h"

#include <QRegularExpression>

namespace {

const QString kUsagePrefix = QStringLiteral("usage: ");

void AppendEntry(QString& text, const CHelpText::Entry& entry)
{
    const int column = CHelpText::kMeaningColumn;
    const QString term = QStringLiteral("  ") + entry.term;
    // A term too wide for its column gets the meaning on the lines below.
    const bool wide = term.size() > column - 2;
    if (wide)
        text += term + u'\n';
    const QStringList lines = CHelpText::Wrap(entry.meaning, CHelpText::kLineWidth - column);
    for (qsizetype i = 0; i < lines.size(); ++i)
        text += (i == 0 && !wide ? term.leftJustified(column) : QString(column, u' ')) +
                lines.at(i) + u'\n';
}

}  // namespace

QStringList CHelpText::Wrap(const QString& text, int width)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QStringList lines;
    QString line;
    for (const QString& word : text.split(blanks, Qt::SkipEmptyParts)) {
        if (!line.isEmpty() && line.size() + 1 + word.size() > width) {
            lines.append(line);
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    if (!line.isEmpty())
        lines.append(line);
    return lines;
}

QString CHelpText::Format(const QStringList& usage, const QStringList& description,
                          const QList<Section>& sections)
{
    QString text;
    for (qsizetype i = 0; i < usage.size(); ++i)
        text += (i == 0 ? kUsagePrefix : QString(kUsagePrefix.size(), u' ')) + usage.at(i) + u'\n';
    for (const QString& paragraph : description)
        text += u'\n' + Wrap(paragraph, kLineWidth).join(u'\n') + u'\n';
    for (const Section& section : sections) {
        text += u'\n' + section.title + QStringLiteral(":\n");
        for (const Entry& entry : section.entries)
            AppendEntry(text, entry);
    }
    return text;
}
