#pragma once

#include "cli/CCliPrompt.h"
#include "core/CZentakDoc.h"

// One experiment record as a subcommand works on it, with the terminal as
// its operator.
class CCliRecord
{
public:
    explicit CCliRecord(bool answerYes = false);

    // Loads as File Open does; the load's message goes to stderr. False when
    // the file could not be read at all (the reason is on stderr too).
    bool Load(const QString& path);

    // The load neither showed a message nor stopped short of the end marker.
    bool LoadedWhole() const;

    // Samples that a save or an export would leave out: the record holds
    // some, but not the traces that count as data (a stroke is empty).
    bool HoldsUnwritableSamples() const;
    // Why such samples are no data, e.g. "holds samples, but no up-stroke
    // displacement samples, so they do not count as data".
    QString WhyNoData() const;

    CZentakDoc& Doc() { return m_doc; }

private:
    CCliPrompt m_prompt;
    CZentakDoc m_doc;
};
