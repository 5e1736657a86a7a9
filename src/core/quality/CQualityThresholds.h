#pragma once

#include <QList>
#include <QString>

// The limits the quality checks judge an impact by, kept in the per-user
// settings. Each has a range the settings and the dialog hold it to, a
// unit and the key it is stored under; its default is the member's own.
class CQualityThresholds
{
public:
    struct Field {
        int CQualityThresholds::*member;
        const char* key;    // in the settings, the JSON and the CSV
        const char* label;  // as the dialog shows it
        const char* unit;
        int min;
        int max;
    };

    static const QList<Field>& Fields();

    // Each value held to its field's range; out of range, its default.
    void Clamp();
    bool operator==(const CQualityThresholds&) const = default;

    int m_nForceToleranceKdyn = 10;
    int m_nVelocityTolerancePercent = 10;
    int m_nContactForceKdyn = 20;
    int m_nSecondHitRiseKdyn = 5;
    int m_nBoneDisplacementMicrons = 100;
    int m_nMinDownSamples = 32;
};
