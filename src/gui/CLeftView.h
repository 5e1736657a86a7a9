#pragma once

#include "core/protocol/CRunOutcome.h"
#include "core/quality/CQualityThresholds.h"

#include <QHash>
#include <QList>
#include <QWidget>

#include <functional>
#include <optional>

class CSerialSettings;
class CImpactRun;
class COperatorPrompt;
class CZentakDoc;
class QGroupBox;
class CImpactMeasures;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// The control panel: the experiment mode, the desired values with the
// actual values of the last impact beside them, the comments, and the
// Start Experiment button that drives one whole run. The form scrolls on a
// small screen; the button stays in view below it.
class CLeftView : public QWidget
{
    Q_OBJECT

public:
    static inline const QString kBusy = QStringLiteral("BUSY");

    // The impact's measures as the panel shows them, with their units.
    static QString MeasuresText(const CImpactMeasures& measures);

    // A run goes through run, whose record is the document's; settings are
    // the window's, read afresh at every run.
    CLeftView(CZentakDoc& doc, CImpactRun& run, COperatorPrompt& prompt,
              const CSerialSettings& settings, QWidget* parent = nullptr);

    // Shows the record (false) or stores the form into it with validation
    // (true); a refused field gets its message and the focus.
    bool UpdateData(bool saveAndValidate);

    // A new or opened record is attached: show it, store it back (which
    // raises the range message for values a file brought), force mode.
    void OnInitialUpdate();
    // Asked before a run replaces a record that holds an earlier run; false
    // when the operator keeps it.
    void SetMayReplaceRecordHook(std::function<bool()> hook)
    {
        m_fnMayReplaceRecord = std::move(hook);
    }

    // The pane gets the focus: the desired value the mode lets the operator edit.
    void FocusFirstField();
    // Hint 0 asks for the form to be stored, as before a save.
    void OnUpdate(int hint);

    // The verdict beside the actual values is judged by these from now on.
    void SetQualityThresholds(const CQualityThresholds& thresholds);

    int m_nMode = 0;
    QLineEdit* m_editDisp = nullptr;
    QLineEdit* m_editForce = nullptr;
    QRadioButton* m_radioForce = nullptr;
    QRadioButton* m_radioDisp = nullptr;

public Q_SLOTS:
    void OnStartExperiment();
    void OnModeForce();
    void OnModeDisplacement();

Q_SIGNALS:
    // The run is over, whatever its outcome: the window redraws the record.
    void experimentEnded();
    // kBusy while a run holds the box, then "".
    void busyTextChanged(const QString& text);

private:
    // Verdict and measures keep their place while hidden, so the form does not
    // jump when a run shows them.
    static void KeepPlaceWhenHidden(QLabel* label, int lines, int paddingPx);
    struct IntegerField;

    QWidget* BuildForm();
    void TrackEdits();
    QGroupBox* BuildModeGroup();
    QGroupBox* BuildSettingsGroup();
    QGroupBox* BuildCommentsGroup();
    QWidget* BuildSubjectRow();
    // The subject as the run will write it; nothing after its message.
    std::optional<QString> StoreSubject();
    bool RunLogUsable();
    void SetTabOrder();
    void KeepCommentsStorable();
    QList<IntegerField> DesiredFields() const;
    bool StoreIntegerField(const IntegerField& field);
    void ShowRecord();
    void ShowActualValues();
    bool HoldsRun() const;
    void KeepOnlyTheEntries();
    void HandleRunOutcome(CRunOutcome::Kind outcome, const QString& subject);
    void ResetAndShow();
    // The record's quality verdict, or nothing for a record without data.
    void ShowQualityVerdict();

    CZentakDoc& m_rDoc;
    CImpactRun& m_rRun;
    COperatorPrompt& m_rPrompt;
    const CSerialSettings& m_rSettings;
    QLineEdit* m_editVelocity = nullptr;
    QLineEdit* m_editDwell = nullptr;
    QLineEdit* m_editForceActual = nullptr;
    QLineEdit* m_editDispActual = nullptr;
    QLineEdit* m_editVelocityActual = nullptr;
    QLineEdit* m_editDwellActual = nullptr;
    QPlainTextEdit* m_editComments = nullptr;
    // Names the animal of the next impact only: emptied once it is struck.
    QLineEdit* m_editSubject = nullptr;
    QPushButton* m_buttonStart = nullptr;
    QLabel* m_labelQuality = nullptr;
    QLabel* m_labelMeasures = nullptr;
    CQualityThresholds m_qualityThresholds;
    std::function<bool()> m_fnMayReplaceRecord;
    // The label of each desired value's field, which its refusal names.
    QHash<const QLineEdit*, QString> m_fieldLabels;
};
