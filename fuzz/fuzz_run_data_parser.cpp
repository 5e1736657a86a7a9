// The run-data parser over any chunk list a download could produce: the
// first byte picks the firmware release, the rest is cut into replies of at
// most 128 bytes at every 0xFF byte, as the link's reads cut the output.
// However the reads cut it, the traces are those of the whole text in one
// chunk.

#include "FuzzCheck.h"
#include "FuzzTraceCheck.h"
#include "core/device/CSerialLink.h"
#include "core/protocol/CRunDataParser.h"
#include "core/record/CImpactRecord.h"

#include <cstdint>

namespace {

constexpr char kChunkCut = char(0xFF);

QStringList Chunks(const char* data, size_t size)
{
    QStringList chunks;
    QByteArray reply;
    const auto flush = [&] {
        // A reply is text up to its first NUL, as the link reads it.
        chunks.append(QString::fromLatin1(reply.constData(),
                                          qstrnlen(reply.constData(), size_t(reply.size()))));
        reply.clear();
    };
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == kChunkCut || reply.size() == CSerialLink::kReplyBytes)
            flush();
        if (data[i] != kChunkCut)
            reply.append(data[i]);
    }
    flush();
    return chunks;
}

CImpactRecord Parsed(const QStringList& chunks, int release)
{
    CImpactRecord record;
    record.m_nFirmwareRelease = release;
    CRunDataParser::ParseRunData(chunks, record.m_nFirmwareRelease, record);
    return record;
}

bool SameTraces(const CImpactRecord& a, const CImpactRecord& b)
{
    return a.m_arrDispDown == b.m_arrDispDown && a.m_arrForceDown == b.m_arrForceDown &&
           a.m_arrStepTimeDown == b.m_arrStepTimeDown && a.m_arrDispUp == b.m_arrDispUp &&
           a.m_arrForceUp == b.m_arrForceUp && a.m_arrStepTimeUp == b.m_arrStepTimeUp;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    static const int kReleases[] = {4, 5, 0, 3};
    const int release = kReleases[data[0] % 4];
    const QStringList chunks = Chunks(reinterpret_cast<const char*>(data) + 1, size - 1);
    const CImpactRecord record = Parsed(chunks, release);

    const qsizetype lines = CRunDataParser::SplitIntoLines(chunks).size();
    FUZZ_CHECK(record.m_arrDispDown.size() <= lines && record.m_arrDispUp.size() <= lines);
    CheckTraces(record);
    FUZZ_CHECK(SameTraces(record, Parsed({chunks.join(QString())}, release)));
    return 0;
}
