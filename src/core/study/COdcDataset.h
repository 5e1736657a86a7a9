#pragma once

#include "core/quality/CCohortSummary.h"
#include "core/study/CCsvTable.h"

class CSubjectTable;

// A study as the Open Data Commons for spinal cord injury takes it: one row
// per impact, Subject_ID first, the subject's columns from the subjects
// table, the injury, the intended and actual values, the measures, whether
// the impact is excluded and why, and where it came from; with a data
// dictionary naming each column's title, unit, meaning and type. A column
// no impact has a value in is left out, as the commons refuses blank ones.
class COdcDataset
{
public:
    static constexpr const char* kDatasetFile = "dataset.csv";
    static constexpr const char* kDictionaryFile = "dictionary.csv";
    static constexpr const char* kInjuryDevice = "Zentak spinal cord impactor";

    struct Tables {
        CCsvTable dataset;
        CCsvTable dictionary;
    };

    // subjects: null for none.
    static Tables Build(const QList<CCohortSummary::Row>& rows, CSubjectTable* subjects);
    // The commons' variables asked for before it publishes that tables lack.
    static QStringList Unasked(const CCsvTable& dataset);
    // Why an impact is excluded in words, or empty when it counts.
    static QString ExclusionReason(const CCohortSummary::Row& row);
};
