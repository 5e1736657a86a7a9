#include "core/quality/CQualitySettings.h"

#include "core/program/CUserSettings.h"

#include <QSettings>

CQualityThresholds CQualitySettings::Load()
{
    QSettings settings(CUserSettings::kOrganization, CUserSettings::kApplication);
    settings.beginGroup(kGroup);
    CQualityThresholds thresholds;
    for (const CQualityThresholds::Field& field : CQualityThresholds::Fields()) {
        bool ok = false;
        const int value = settings.value(QLatin1String(field.key)).toString().toInt(&ok);
        if (ok)
            thresholds.*field.member = value;
    }
    thresholds.Clamp();
    return thresholds;
}

void CQualitySettings::Save(const CQualityThresholds& thresholds)
{
    QSettings settings(CUserSettings::kOrganization, CUserSettings::kApplication);
    settings.beginGroup(kGroup);
    for (const CQualityThresholds::Field& field : CQualityThresholds::Fields())
        settings.setValue(QLatin1String(field.key), thresholds.*field.member);
}
