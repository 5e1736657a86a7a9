#pragma once

#include "core/quality/CQualityThresholds.h"

// The quality check thresholds in the per-user settings, under "Quality
// Check". A value that is missing, not a whole number or out of its range
// reads as its default.
namespace CQualitySettings {

inline const QString kGroup = QStringLiteral("Quality Check");

CQualityThresholds Load();
void Save(const CQualityThresholds& thresholds);

}  // namespace CQualitySettings
