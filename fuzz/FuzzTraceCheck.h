#pragma once

#include "FuzzCheck.h"
#include "core/record/CImpactRecord.h"

// What any download leaves in a record: each stroke's arrays equally long,
// step times only for release 5, and samples only for releases 4 and 5.
inline void CheckTraces(const CImpactRecord& record)
{
    FUZZ_CHECK(record.m_arrDispDown.size() == record.m_arrForceDown.size());
    FUZZ_CHECK(record.m_arrDispUp.size() == record.m_arrForceUp.size());
    if (record.m_nFirmwareRelease == 5) {
        FUZZ_CHECK(record.m_arrStepTimeDown.size() == record.m_arrDispDown.size());
        FUZZ_CHECK(record.m_arrStepTimeUp.size() == record.m_arrDispUp.size());
    } else {
        FUZZ_CHECK(record.m_arrStepTimeDown.isEmpty() && record.m_arrStepTimeUp.isEmpty());
    }
    if (record.m_nFirmwareRelease != 4 && record.m_nFirmwareRelease != 5)
        FUZZ_CHECK(record.m_arrDispDown.isEmpty() && record.m_arrDispUp.isEmpty());
}
