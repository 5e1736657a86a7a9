#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The text a program prints for --help: the usage lines, what it does, then
// titled lists of terms (options, commands) with their meaning. The layout
// is fixed so that the manual pages can be made from the same text.
class CHelpText
{
public:
    static constexpr int kLineWidth = 79;
    static constexpr int kMeaningColumn = 24;

    struct Entry {
        QString term;
        QString meaning;
    };
    struct Section {
        QString title;
        QList<Entry> entries;
    };

    // "usage: " before the first usage line, the others aligned under it;
    // each description paragraph and each meaning is wrapped to the width.
    static QString Format(const QStringList& usage, const QStringList& description,
                          const QList<Section>& sections);

    static QStringList Wrap(const QString& text, int width);
};
