#include "cli/CliQuality.h"

#include "core/quality/CQualityThresholds.h"
#include "core/record/CImpactMeasures.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>
#include <cstdio>

QString CliQuality::Text(const std::optional<CQualityVerdict>& verdict)
{
    return verdict ? verdict->Text() : QStringLiteral("none (no data)");
}

QJsonObject CliQuality::ThresholdsJson(const CQualityThresholds& thresholds)
{
    QJsonObject json;
    for (const CQualityThresholds::Field& field : CQualityThresholds::Fields())
        json.insert(QLatin1String(field.key), thresholds.*field.member);
    return json;
}

QJsonObject CliQuality::MeasuresJson(const CImpactMeasures& measures)
{
    QJsonObject json;
    for (const CImpactMeasures::Field& field : CImpactMeasures::Fields())
        json.insert(QLatin1String(field.key), JsonNumber(field.value(measures), field.decimals));
    return json;
}

QJsonValue CliQuality::JsonNumber(const std::optional<double>& value, int decimals)
{
    if (!value)
        return QJsonValue::Null;
    const double scale = std::pow(10.0, decimals);
    return std::round(*value * scale) / scale;
}

void CliQuality::PrintJson(const QJsonObject& result)
{
    const QByteArray text = QJsonDocument(result).toJson(QJsonDocument::Compact);
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}
