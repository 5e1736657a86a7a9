#pragma once

#include "core/quality/CQualityVerdict.h"

#include <QJsonObject>
#include <QJsonValue>

#include <optional>

class CImpactMeasures;
class CImpactRecord;
class CQualityThresholds;

// The quality verdict as the command line prints it, judged by the
// thresholds in the user's settings, the ones the window uses.
namespace CliQuality {

// The verdict's text, or "none (no data)" for a record without an impact.
QString Text(const std::optional<CQualityVerdict>& verdict);
// Each threshold under its key.
QJsonObject ThresholdsJson(const CQualityThresholds& thresholds);
// Each measure under its key, rounded as tables show it; null when unknown.
QJsonObject MeasuresJson(const CImpactMeasures& measures);
// Rounded to decimals places; null when empty.
QJsonValue JsonNumber(const std::optional<double>& value, int decimals);
// A command's result for --json: one compact object on a line of stdout.
void PrintJson(const QJsonObject& result);

}  // namespace CliQuality
