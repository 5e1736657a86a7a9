#pragma once

#include "core/quality/CQualityThresholds.h"

#include <QDialog>
#include <QList>

class QSpinBox;

// "Quality Check Settings": one box per threshold, in its unit and range.
// Defaults puts every box back to its default; OK keeps the values shown,
// Cancel the ones the dialog opened with.
class CQualityCheckDialog : public QDialog
{
    Q_OBJECT

public:
    static inline const QString kCaption = QStringLiteral("Quality Check Settings");

    explicit CQualityCheckDialog(const CQualityThresholds& thresholds, QWidget* parent = nullptr);

    // The values the boxes hold.
    CQualityThresholds Thresholds() const;

private:
    void ShowThresholds(const CQualityThresholds& thresholds);

    QList<QSpinBox*> m_spinBoxes;  // in the order of CQualityThresholds::Fields()
};
