#pragma once

#include "core/CZentakDoc.h"
#include "core/device/CRunProgress.h"
#include "core/protocol/CImpactRun.h"
#include "core/quality/CQualityThresholds.h"
#include "core/record/CSerialSettings.h"
#include "gui/CRecentFileList.h"

#include <QMainWindow>

class CBusyInputGuard;
class CRunLogReader;
class CClock;
class CEarlierImpactsDock;
class CFileChooser;
class CLeftView;
class CMaintenanceCommands;
class COperatorPrompt;
class CPortFactory;
class CZentakView;
class QAction;
class QLabel;
class QMenu;
class QSplitter;
class QToolBar;

// The services the window is built on. The program passes the real ones;
// tests pass scripted answers, an instant clock and their own simulator.
struct CFrameServices {
    COperatorPrompt& prompt;
    CClock& clock;
    CPortFactory& ports;
    CFileChooser& files;
};

// The one top-level window: menus, toolbar, status bar, and the splitter
// with the control panel on the left and the graphs on the right. It owns
// the experiment record, the serial settings every exchange uses and the
// busy pane, and shows in its status bar what a run is doing.
class CMainFrame : public QMainWindow, public CRunProgress
{
    Q_OBJECT

public:
    static inline const QString kTitle = QStringLiteral("ZR Spinal Cord Impactor v5.0");
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 600;
    static constexpr int kLeftPaneWidth = 265;
    static constexpr int kBusyPaneWidth = 28;
    static inline const QString kSaveChanges = QStringLiteral("Save changes to the experiment?");
    static inline const QString kUntitled = QStringLiteral("Untitled");
    // Put before the question when the run is missing from the run log.
    static inline const QString kRunNotLogged =
        QStringLiteral("The run could not be written to the run log.");

    explicit CMainFrame(CFrameServices services, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Opens a file as File Open does once a name is chosen. False when the
    // file could not be read at all (the operator has been told why).
    bool OpenDocumentFile(const QString& path);
    // Opens entry index of the log as the current record, unsaved: File
    // Save asks for a name and offers the one made from its stamp.
    void OpenRunLogEntry(const CRunLogReader& log, qsizetype index);
    // Every command that replaces the record asks this first: a modified
    // record is offered for saving (Yes / No / Cancel). False when the
    // operator cancels, or the save he chose did not happen.
    bool MayReplaceRecord();

    // Stores the five values as they are; nothing is opened or checked here,
    // because every exchange opens the port afresh from the current settings.
    void ApplySerialSettings(const QString& port, int baudRate, const QString& parity,
                             const QString& stopBits, int byteSize);
    const CSerialSettings& SerialSettings() const { return m_serialSettings; }

    // The busy pane: "BUSY" while a run or a firmware upgrade holds the box.
    void SetBusyText(const QString& text);
    const QString& BusyText() const { return m_strBusyText; }
    CZentakDoc& Document() { return m_doc; }
    CLeftView& LeftView() { return *m_pLeftView; }
    CZentakView& GraphView() { return *m_pGraphView; }
    CEarlierImpactsDock& EarlierImpacts() { return *m_pEarlierDock; }
    const CRecentFileList& RecentFiles() const { return m_recentFiles; }
    const CQualityThresholds& QualityThresholds() const { return m_qualityThresholds; }
    QAction* Action(const QString& objectName) const;

    void ShowRunStatus(const QString& text) override;

public Q_SLOTS:
    void OnFileNew();
    void OnFileOpen();
    void OnFileOpenFromRunLog();
    bool OnFileSave();
    bool OnFileSaveAs();
    void OnFileSaveCsv();
    void OnFileExportGraph();
    void OnFilePrint();
    void OnFilePrintPreview();
    void OnFilePrintSetup();
    void OnAppAbout();
    // Edits the quality check thresholds; OK keeps them in the user's settings.
    void OnViewQualityCheckSettings();
    // Repaints the whole window from the record.
    void OnRecordChanged();

Q_SIGNALS:
    void busyTextChanged(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void PlaceWindow();
    void UpdateTitle();
    void CreateClient();
    void CreateEarlierImpactsDock();
    void CreateActions();
    void CreateMenus();
    void CreateFileMenu();
    void CreateEditMenu();
    void CreateViewMenu();
    void CreateToolBar();
    void CreateStatusBar();
    QAction* AddAction(QMenu* menu, const QString& name, const QString& text,
                       const QString& statusTip, const QList<QKeySequence>& keys = {});
    void RebuildRecentFileMenu();
    void OpenRecentFile(const QString& path);
    bool DoSave(const QString& path);
    void ShowFileError(const QString& message);
    QString SuggestedName(const QString& suffix) const;
    void ShowBusyPane(const QString& text);

    CFrameServices m_services;
    CSerialSettings m_serialSettings;
    QString m_strBusyText;
    CZentakDoc m_doc;
    CImpactRun m_impactRun;
    CRecentFileList m_recentFiles;
    CQualityThresholds m_qualityThresholds;
    CBusyInputGuard* m_pInputGuard = nullptr;
    CMaintenanceCommands* m_pMaintenance = nullptr;
    QSplitter* m_wndSplitter = nullptr;
    CLeftView* m_pLeftView = nullptr;
    CZentakView* m_pGraphView = nullptr;
    CEarlierImpactsDock* m_pEarlierDock = nullptr;
    QToolBar* m_wndToolBar = nullptr;
    QMenu* m_pFileMenu = nullptr;
    QAction* m_pRecentAnchor = nullptr;
    QLabel* m_pBusyPane = nullptr;
    bool m_bSaveNeedsName = false;
    bool m_bWaitCursor = false;
};
