#pragma once

#include "core/study/CCsvTable.h"

#include <QList>
#include <QStringList>

#include <functional>

// The rules a dataset and its data dictionary must meet before the Open
// Data Commons for spinal cord injury takes them: a tidy table (one row per
// observation, Subject_ID first, names of letters, digits, "_" and "."
// starting with a letter, at most 60 characters; no blank or repeated
// headers, no blank rows or columns, no repeated rows) and a dictionary that
// describes exactly the dataset's columns.
class COdcChecker
{
public:
    struct Rule {
        const char* name;
        // Each problem found, worded for the operator; empty when none.
        std::function<QStringList(const CCsvTable& dataset, const CCsvTable& dictionary)> check;
    };

    static constexpr int kMaxNameLength = 60;
    static const QStringList& DictionaryHeader();
    static const QStringList& DataTypes();
    static const QList<Rule>& Rules();

    // "rule: problem" for every problem of every rule.
    static QStringList Check(const CCsvTable& dataset, const CCsvTable& dictionary);
};
