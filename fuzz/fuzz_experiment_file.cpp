// The experiment file reader over any bytes: the current layout, the
// release-4 file and the oldest transcript (the seed corpus holds each).
// Whatever the file says:
// - nothing is read beyond the input: no more samples than it has lines,
//   no comments or version longer than it;
// - a transcript appends its samples in pairs: each stroke's two arrays stay
//   equally long (the other layouts keep sections apart, and a hand-edited
//   file may give them any lengths);
// - the outcome, the messages, the data-present flag and the repaint agree;
// - a complete load, saved and loaded again, gives the same record, and
//   saving that writes the same bytes again.

#include "FuzzCheck.h"
#include "core/CZentakDoc.h"

#include <QBuffer>

#include <cstdint>

namespace {

using LoadOutcome = CZentakDoc::LoadOutcome;

struct Loaded {
    LoadOutcome outcome = LoadOutcome::NotValid;
    bool dataPresent = false;
    int repaints = 0;
    int messages = 0;
};

Loaded Load(CZentakDoc& doc, QByteArray bytes)
{
    Loaded loaded;
    const auto connection =
        QObject::connect(&doc, &CZentakDoc::recordChanged, [&loaded] { ++loaded.repaints; });
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    FUZZ_CHECK(doc.Load(buffer));
    QObject::disconnect(connection);
    loaded.outcome = doc.LastLoadOutcome();
    loaded.dataPresent = doc.DataPresent();
    loaded.messages = doc.LoadMessage().isEmpty() ? 0 : 1;
    return loaded;
}

QByteArray Save(CZentakDoc& doc)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    FUZZ_CHECK(doc.Save(buffer));
    return buffer.data();
}

qsizetype Samples(const CImpactRecord& record)
{
    return record.m_arrDispDown.size() + record.m_arrForceDown.size() + record.m_arrDispUp.size() +
           record.m_arrForceUp.size() + record.m_arrStepTimeDown.size() +
           record.m_arrStepTimeUp.size();
}

bool HasTraces(const CImpactRecord& record)
{
    return !record.m_arrDispDown.isEmpty() && !record.m_arrDispUp.isEmpty() &&
           !record.m_arrForceDown.isEmpty();
}

void CheckLoad(const CImpactRecord& record, const Loaded& loaded, const QByteArray& input)
{
    const qsizetype lines = input.count('\n') + 1;
    FUZZ_CHECK(record.m_strFirmwareVersion.size() <= input.size());
    FUZZ_CHECK(record.m_strComments.size() <= 2 * input.size());
    switch (record.m_nFileFormat) {
    case 0:
        FUZZ_CHECK(loaded.outcome != LoadOutcome::Complete);
        FUZZ_CHECK(Samples(record) == 0 && record.m_nFirmwareRelease == 0);
        break;
    case 3:
        FUZZ_CHECK(record.m_nFirmwareRelease == 4);
        FUZZ_CHECK(record.m_arrDispDown.size() == record.m_arrForceDown.size());
        FUZZ_CHECK(record.m_arrDispUp.size() == record.m_arrForceUp.size());
        FUZZ_CHECK(record.m_arrDispDown.size() + record.m_arrDispUp.size() <= lines);
        FUZZ_CHECK(record.m_arrStepTimeDown.isEmpty() && record.m_arrStepTimeUp.isEmpty());
        FUZZ_CHECK(record.m_strComments.isEmpty());
        break;
    case 4:
    case 5:
        FUZZ_CHECK(Samples(record) <= lines);
        if (record.m_nFirmwareRelease != 5)
            FUZZ_CHECK(record.m_arrStepTimeDown.isEmpty() && record.m_arrStepTimeUp.isEmpty());
        break;
    default:
        FUZZ_CHECK(false);
    }
    const bool complete = loaded.outcome == LoadOutcome::Complete;
    const bool silent = complete || loaded.outcome == LoadOutcome::NoEndMarker;
    FUZZ_CHECK(loaded.messages == (silent ? 0 : 1));
    FUZZ_CHECK(loaded.repaints == (complete ? 1 : 0));
    FUZZ_CHECK(loaded.dataPresent == (complete && HasTraces(record)));
}

void CheckSameRecord(const CImpactRecord& first, const CImpactRecord& again, bool dataPresent)
{
    FUZZ_CHECK(again.m_nDesiredForce == first.m_nDesiredForce);
    FUZZ_CHECK(again.m_nDesiredDisp == first.m_nDesiredDisp);
    FUZZ_CHECK(again.m_nDesiredVelocity == first.m_nDesiredVelocity);
    FUZZ_CHECK(again.m_nDesiredDwell == first.m_nDesiredDwell);
    FUZZ_CHECK(again.m_nActualForce == first.m_nActualForce);
    FUZZ_CHECK(again.m_nActualDisp == first.m_nActualDisp);
    FUZZ_CHECK(again.m_nActualVelocity == first.m_nActualVelocity);
    FUZZ_CHECK(again.m_nActualDwell == first.m_nActualDwell);
    FUZZ_CHECK(again.m_strFirmwareVersion == first.m_strFirmwareVersion);
    FUZZ_CHECK(again.m_strComments == first.m_strComments);
    // The file keeps the release only through its version line and its
    // step-time sections, which only the current layout has.
    if (first.m_nFileFormat == 5)
        FUZZ_CHECK(again.m_nFirmwareRelease == first.m_nFirmwareRelease);
    // Traces are written only when they count as data.
    if (!dataPresent) {
        FUZZ_CHECK(Samples(again) == 0);
        return;
    }
    FUZZ_CHECK(again.m_arrDispDown == first.m_arrDispDown);
    FUZZ_CHECK(again.m_arrForceDown == first.m_arrForceDown);
    FUZZ_CHECK(again.m_arrDispUp == first.m_arrDispUp);
    FUZZ_CHECK(again.m_arrForceUp == first.m_arrForceUp);
    FUZZ_CHECK(again.m_arrStepTimeDown == first.m_arrStepTimeDown);
    FUZZ_CHECK(again.m_arrStepTimeUp == first.m_arrStepTimeUp);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    CZentakDoc doc;
    const Loaded loaded = Load(doc, input);
    CheckLoad(doc.Record(), loaded, input);
    if (loaded.outcome != LoadOutcome::Complete)
        return 0;

    const QByteArray saved = Save(doc);
    CZentakDoc again;
    const Loaded reloaded = Load(again, saved);
    FUZZ_CHECK(reloaded.outcome == LoadOutcome::Complete);
    FUZZ_CHECK(again.Record().m_nFileFormat == 5);
    FUZZ_CHECK(reloaded.dataPresent == loaded.dataPresent);
    CheckSameRecord(doc.Record(), again.Record(), loaded.dataPresent);
    FUZZ_CHECK(Save(again) == saved);
    return 0;
}
