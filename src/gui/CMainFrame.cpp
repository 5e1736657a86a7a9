#include "gui/CMainFrame.h"

#include "core/device/CClock.h"
#include "core/protocol/COperatorPrompt.h"
#include "core/quality/CQualitySettings.h"
#include "gui/CAboutDialog.h"
#include "gui/CBusyInputGuard.h"
#include "gui/CEarlierImpactsDock.h"
#include "gui/CFileChooser.h"
#include "gui/CGraphExport.h"
#include "gui/CImpactGraph.h"
#include "gui/CLeftView.h"
#include "gui/CMaintenanceCommands.h"
#include "gui/CQualityCheckDialog.h"
#include "gui/CRunLogDialog.h"
#include "gui/CZentakView.h"
#include "render/CArtwork.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>

namespace {

const QString kReady = QStringLiteral("Ready");
const QString kExperimentFilter = QStringLiteral("Spinal Files (*.exp);;All Files (*.*)");
const QString kCsvFilter = QStringLiteral("Comma Delimited Files (*.csv);;All Files (*.*)");

}  // namespace

CMainFrame::CMainFrame(CFrameServices services, QWidget* parent)
    : QMainWindow(parent), m_services(services),
      m_impactRun(services.ports, services.clock, services.prompt)
{
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(kTitle);
    setWindowIcon(CArtwork::ApplicationIcon());
    m_recentFiles.Load();
    m_pMaintenance = new CMaintenanceCommands(this, m_serialSettings, services.prompt,
                                              services.ports, services.clock, services.files, this);
    connect(m_pMaintenance, &CMaintenanceCommands::repaintRequested, this,
            &CMainFrame::OnRecordChanged);
    connect(m_pMaintenance, &CMaintenanceCommands::busyTextChanged, this, &CMainFrame::SetBusyText);
    CreateClient();
    CreateEarlierImpactsDock();
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    PlaceWindow();

    m_impactRun.SetProgress(this);
    connect(&m_doc, &CZentakDoc::storeViewsRequested, this, [this] { m_pLeftView->OnUpdate(0); });
    // A run replaces the record too: it asks as every such command does.
    m_pLeftView->SetMayReplaceRecordHook([this] { return MayReplaceRecord(); });
    connect(&m_doc, &CZentakDoc::recordChanged, this, &CMainFrame::OnRecordChanged);
    connect(&m_doc, &CZentakDoc::captionChanged, this, &CMainFrame::UpdateTitle);
    connect(&m_doc, &CZentakDoc::dataPresentChanged, this, &CMainFrame::OnRecordChanged);
    connect(m_pLeftView, &CLeftView::experimentEnded, this, &CMainFrame::OnRecordChanged);
    connect(m_pLeftView, &CLeftView::busyTextChanged, this, &CMainFrame::SetBusyText);

    // Exchanges with the box block this thread; let paints and timers
    // through meanwhile, and drop the operator's input until the run ends.
    m_pInputGuard = new CBusyInputGuard(this);
    qApp->installEventFilter(m_pInputGuard);
    m_services.clock.SetWaitHook([this] { m_pInputGuard->ProcessEventsWhileWaiting(); });

    m_qualityThresholds = CQualitySettings::Load();
    m_pLeftView->SetQualityThresholds(m_qualityThresholds);
    m_pGraphView->SetQualityThresholds(m_qualityThresholds);
    m_pEarlierDock->SetQualityThresholds(m_qualityThresholds);
    m_doc.OnNewDocument();
    m_pLeftView->OnInitialUpdate();
    UpdateTitle();
}

CMainFrame::~CMainFrame()
{
    m_services.clock.SetWaitHook({});
    if (m_bWaitCursor)
        QGuiApplication::restoreOverrideCursor();
}

// Centred, and never larger than the screen leaves room for, so the menu
// bar and the Start Experiment button stay on it whatever the scale.
void CMainFrame::PlaceWindow()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) {
        resize(kWidth, kHeight);
        return;
    }
    const QRect area = screen->availableGeometry();
    const QSize size = QSize(kWidth, kHeight).boundedTo(area.size());
    resize(size);
    move(area.x() + area.width() / 2 - size.width() / 2,
         area.y() + area.height() / 2 - size.height() / 2);
}

// The record by its file, its run log entry or "Untitled", marked while it
// holds changes no file has.
void CMainFrame::UpdateTitle()
{
    QString name = m_doc.Title();
    if (name.isEmpty())
        name = m_doc.PathName().isEmpty() ? kUntitled : QFileInfo(m_doc.PathName()).fileName();
    setWindowTitle(kTitle + QStringLiteral(" - ") + name + QStringLiteral("[*]"));
    setWindowModified(m_doc.IsModified());
}

void CMainFrame::CreateClient()
{
    m_wndSplitter = new QSplitter(Qt::Horizontal, this);
    m_wndSplitter->setObjectName(QStringLiteral("splitter"));
    m_wndSplitter->setChildrenCollapsible(false);
    m_pLeftView =
        new CLeftView(m_doc, m_impactRun, m_services.prompt, m_serialSettings, m_wndSplitter);
    m_pGraphView = new CZentakView(m_doc, m_services.prompt, m_wndSplitter);
    // Nothing to type there: Tab passes it by, F6 and a click still reach it.
    m_pGraphView->setFocusPolicy(Qt::ClickFocus);
    m_wndSplitter->addWidget(m_pLeftView);
    m_wndSplitter->addWidget(m_pGraphView);
    m_wndSplitter->setStretchFactor(0, 0);
    m_wndSplitter->setStretchFactor(1, 1);
    m_wndSplitter->setSizes({kLeftPaneWidth, kWidth - kLeftPaneWidth});
    setCentralWidget(m_wndSplitter);
}

// The run log's impacts of a day beside the graphs; it follows every run.
void CMainFrame::CreateEarlierImpactsDock()
{
    m_pEarlierDock = new CEarlierImpactsDock(m_doc, this);
    addDockWidget(Qt::BottomDockWidgetArea, m_pEarlierDock);
    m_pEarlierDock->hide();  // the graphs keep the whole height until it is asked for
    connect(m_pEarlierDock, &CEarlierImpactsDock::comparisonChanged, &m_pGraphView->Graph(),
            &CImpactGraph::SetComparison);
    connect(m_pEarlierDock, &CEarlierImpactsDock::openRequested, this,
            [this](qsizetype index) { OpenRunLogEntry(m_pEarlierDock->Reader(), index); });
    connect(m_pLeftView, &CLeftView::experimentEnded, m_pEarlierDock,
            &CEarlierImpactsDock::Refresh);
    m_pEarlierDock->Refresh();
}

QAction* CMainFrame::AddAction(QMenu* menu, const QString& name, const QString& text,
                               const QString& statusTip, const QList<QKeySequence>& keys)
{
    auto* action = new QAction(text, this);
    action->setObjectName(name);
    action->setStatusTip(statusTip);
    action->setShortcuts(keys);
    if (menu)
        menu->addAction(action);
    else
        addAction(action);
    return action;
}

QAction* CMainFrame::Action(const QString& objectName) const
{
    return findChild<QAction*>(objectName);
}

void CMainFrame::CreateActions()
{
    // Next and previous pane, as in every split window of the platform.
    QAction* nextPane = AddAction(nullptr, QStringLiteral("nextPane"), QStringLiteral("Next Pane"),
                                  QString(), {QKeySequence(Qt::Key_F6)});
    QAction* previousPane =
        AddAction(nullptr, QStringLiteral("previousPane"), QStringLiteral("Previous Pane"),
                  QString(), {QKeySequence(Qt::SHIFT | Qt::Key_F6)});
    auto switchPane = [this] {
        if (m_pLeftView->isAncestorOf(QApplication::focusWidget()))
            m_pGraphView->setFocus();
        else
            m_pLeftView->FocusFirstField();
    };
    connect(nextPane, &QAction::triggered, this, switchPane);
    connect(previousPane, &QAction::triggered, this, switchPane);
}

void CMainFrame::CreateMenus()
{
    CreateFileMenu();
    CreateEditMenu();
    CreateViewMenu();
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    connect(AddAction(help, QStringLiteral("appAbout"), QStringLiteral("&About Zentak..."),
                      QStringLiteral("Show the program's version")),
            &QAction::triggered, this, &CMainFrame::OnAppAbout);
}

void CMainFrame::CreateFileMenu()
{
    m_pFileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    QMenu* file = m_pFileMenu;
    connect(AddAction(file, QStringLiteral("fileNew"), QStringLiteral("&New"),
                      QStringLiteral("Create a new experiment"),
                      {QKeySequence(Qt::CTRL | Qt::Key_N)}),
            &QAction::triggered, this, &CMainFrame::OnFileNew);
    connect(AddAction(file, QStringLiteral("fileOpen"), QStringLiteral("&Open..."),
                      QStringLiteral("Open an existing experiment file"),
                      {QKeySequence(Qt::CTRL | Qt::Key_O)}),
            &QAction::triggered, this, &CMainFrame::OnFileOpen);
    connect(AddAction(file, QStringLiteral("fileOpenFromRunLog"),
                      QStringLiteral("Open from Run &Log..."),
                      QStringLiteral("Open a run kept in the run log")),
            &QAction::triggered, this, &CMainFrame::OnFileOpenFromRunLog);
    connect(AddAction(file, QStringLiteral("fileSave"), QStringLiteral("&Save"),
                      QStringLiteral("Save the experiment"), {QKeySequence(Qt::CTRL | Qt::Key_S)}),
            &QAction::triggered, this, &CMainFrame::OnFileSave);
    connect(AddAction(file, QStringLiteral("fileSaveAs"), QStringLiteral("Save &As..."),
                      QStringLiteral("Save the experiment under a new name")),
            &QAction::triggered, this, &CMainFrame::OnFileSaveAs);
    connect(AddAction(file, QStringLiteral("fileSaveCsv"),
                      QStringLiteral("Save As Co&mma Delimited File..."),
                      QStringLiteral("Export the traces as comma-separated text")),
            &QAction::triggered, this, &CMainFrame::OnFileSaveCsv);
    connect(
        AddAction(
            file, QStringLiteral("fileExportGraph"), QStringLiteral("&Export Graph..."),
            QStringLiteral("Save the printed graphs as a %1 file").arg(CGraphExport::kFormatNames)),
        &QAction::triggered, this, &CMainFrame::OnFileExportGraph);
    file->addSeparator();
    connect(AddAction(file, QStringLiteral("filePrint"), QStringLiteral("&Print..."),
                      QStringLiteral("Print the graphs"), {QKeySequence(Qt::CTRL | Qt::Key_P)}),
            &QAction::triggered, this, &CMainFrame::OnFilePrint);
    connect(AddAction(file, QStringLiteral("filePrintPreview"), QStringLiteral("Print Pre&view"),
                      QStringLiteral("Show the printed page")),
            &QAction::triggered, this, &CMainFrame::OnFilePrintPreview);
    connect(AddAction(file, QStringLiteral("filePrintSetup"), QStringLiteral("P&rint Setup..."),
                      QStringLiteral("Choose the printer and the paper")),
            &QAction::triggered, this, &CMainFrame::OnFilePrintSetup);
    file->addSeparator();
    connect(AddAction(file, QStringLiteral("fileReprogram"),
                      QStringLiteral("Reprogram Firm&ware..."),
                      QStringLiteral("Write new firmware into the control box")),
            &QAction::triggered, m_pMaintenance, &CMaintenanceCommands::OnFileReprogram);
    file->addSeparator();
    m_pRecentAnchor = file->addSeparator();
    connect(AddAction(file, QStringLiteral("fileExit"), QStringLiteral("E&xit"),
                      QStringLiteral("Quit the program")),
            &QAction::triggered, this, &QWidget::close);
    RebuildRecentFileMenu();
}

void CMainFrame::CreateEditMenu()
{
    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    const QList<std::tuple<QString, QString, QList<QKeySequence>>> editItems = {
        {QStringLiteral("editUndo"),
         QStringLiteral("&Undo"),
         {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)}},
        {QStringLiteral("editCut"),
         QStringLiteral("Cu&t"),
         {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)}},
        {QStringLiteral("editCopy"),
         QStringLiteral("&Copy"),
         {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)}},
        {QStringLiteral("editPaste"),
         QStringLiteral("&Paste"),
         {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)}},
    };
    for (const auto& [name, text, keys] : editItems) {
        AddAction(edit, name, text, QString(), keys)->setEnabled(false);
        if (name == QLatin1String("editUndo"))
            edit->addSeparator();
    }
    // Copy takes the graphs, or the sample rows selected in the table.
    QAction* copy = Action(QStringLiteral("editCopy"));
    copy->setEnabled(true);
    copy->setStatusTip(QStringLiteral("Copy the graphs, or the selected sample rows"));
    connect(copy, &QAction::triggered, m_pGraphView, &CZentakView::CopyToClipboard);
}

void CMainFrame::CreateViewMenu()
{
    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->setObjectName(QStringLiteral("viewMenu"));
    AddAction(view, QStringLiteral("viewToolbar"), QStringLiteral("&Toolbar"),
              QStringLiteral("Show or hide the toolbar"));
    AddAction(view, QStringLiteral("viewStatusBar"), QStringLiteral("&Status Bar"),
              QStringLiteral("Show or hide the status bar"));
    m_pEarlierDock->toggleViewAction()->setObjectName(QStringLiteral("viewEarlierImpacts"));
    view->addAction(m_pEarlierDock->toggleViewAction());
    view->addSeparator();
    AddAction(view, QStringLiteral("viewDispGraph"), QStringLiteral("&Displacement Graph"),
              QString())
        ->setEnabled(false);
    AddAction(view, QStringLiteral("viewForceGraph"), QStringLiteral("Force &Graph"), QString())
        ->setEnabled(false);
    view->addSeparator();
    connect(AddAction(view, QStringLiteral("viewSerialSettings"),
                      QStringLiteral("Serial P&ort Settings..."),
                      QStringLiteral("Choose the serial port and its settings")),
            &QAction::triggered, m_pMaintenance, &CMaintenanceCommands::OnViewSerialSettings);
    connect(AddAction(view, QStringLiteral("viewForceSensitivity"),
                      QStringLiteral("&Force Sensitivity Settings..."),
                      QStringLiteral("Read or set the force sensor's sensitivity")),
            &QAction::triggered, m_pMaintenance, &CMaintenanceCommands::OnViewForceSensitivity);
    connect(AddAction(view, QStringLiteral("viewSerialTerminal"),
                      QStringLiteral("Serial Ter&minal..."),
                      QStringLiteral("Talk to the control box line by line")),
            &QAction::triggered, m_pMaintenance, &CMaintenanceCommands::OnViewSerialTerminal);
    view->addSeparator();
    connect(AddAction(view, QStringLiteral("viewQualityCheckSettings"),
                      QStringLiteral("&Quality Check Settings..."),
                      QStringLiteral("Set the limits an impact is judged by")),
            &QAction::triggered, this, &CMainFrame::OnViewQualityCheckSettings);
}

void CMainFrame::CreateToolBar()
{
    m_wndToolBar = addToolBar(QStringLiteral("Standard"));
    m_wndToolBar->setObjectName(QStringLiteral("toolBar"));
    m_wndToolBar->setIconSize(QSize(CArtwork::kButtonWidth, CArtwork::kButtonHeight));
    const QList<std::pair<QString, CArtwork::Button>> buttons = {
        {QStringLiteral("fileNew"), CArtwork::Button::New},
        {QStringLiteral("fileOpen"), CArtwork::Button::Open},
        {QStringLiteral("fileSave"), CArtwork::Button::Save},
        {QString(), CArtwork::Button::New},
        {QStringLiteral("editCut"), CArtwork::Button::Cut},
        {QStringLiteral("editCopy"), CArtwork::Button::Copy},
        {QStringLiteral("editPaste"), CArtwork::Button::Paste},
        {QString(), CArtwork::Button::New},
        {QStringLiteral("filePrint"), CArtwork::Button::Print},
        {QString(), CArtwork::Button::New},
        {QStringLiteral("appAbout"), CArtwork::Button::About},
    };
    for (const auto& [name, picture] : buttons) {
        if (name.isEmpty()) {
            m_wndToolBar->addSeparator();
            continue;
        }
        QAction* action = Action(name);
        action->setIcon(CArtwork::ToolbarIcon(picture));
        m_wndToolBar->addAction(action);
    }

    m_wndToolBar->addSeparator();
    QAction* wholeRun =
        AddAction(nullptr, QStringLiteral("viewWholeRun"), QStringLiteral("Whole Run"),
                  QStringLiteral("Show the whole run in the graphs"));
    connect(wholeRun, &QAction::triggered, &m_pGraphView->Graph(), &CImpactGraph::ShowWholeRun);
    m_wndToolBar->addAction(wholeRun);

    QAction* toggleToolbar = Action(QStringLiteral("viewToolbar"));
    toggleToolbar->setCheckable(true);
    toggleToolbar->setChecked(true);
    connect(toggleToolbar, &QAction::toggled, m_wndToolBar, &QToolBar::setVisible);
    connect(m_wndToolBar, &QToolBar::visibilityChanged, toggleToolbar, &QAction::setChecked);
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    // The lock keys' state is not told by every platform; their panes stay
    // in place, empty, where it is not.
    for (const QString& indicator :
         {QStringLiteral("CAP"), QStringLiteral("NUM"), QStringLiteral("SCRL")}) {
        auto* pane = new QLabel(bar);
        pane->setObjectName(QStringLiteral("indicator") + indicator);
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance(indicator) + 8);
        pane->setAlignment(Qt::AlignCenter);
        bar->addPermanentWidget(pane);
    }
    m_pBusyPane = new QLabel(bar);
    m_pBusyPane->setObjectName(QStringLiteral("busyPane"));
    m_pBusyPane->setAlignment(Qt::AlignCenter);
    m_pBusyPane->setFixedWidth(qMax(
        kBusyPaneWidth, m_pBusyPane->fontMetrics().horizontalAdvance(QStringLiteral("BUSY")) + 8));
    bar->addPermanentWidget(m_pBusyPane);

    // Nothing is ready while the box is busy.
    connect(bar, &QStatusBar::messageChanged, this, [this, bar](const QString& message) {
        if (message.isEmpty() && m_strBusyText.isEmpty())
            bar->showMessage(kReady);
    });
    bar->showMessage(kReady);

    QAction* toggleStatusBar = Action(QStringLiteral("viewStatusBar"));
    toggleStatusBar->setCheckable(true);
    toggleStatusBar->setChecked(true);
    connect(toggleStatusBar, &QAction::toggled, bar, &QStatusBar::setVisible);
}

void CMainFrame::ApplySerialSettings(const QString& port, int baudRate, const QString& parity,
                                     const QString& stopBits, int byteSize)
{
    m_serialSettings = {port, baudRate, parity, stopBits, byteSize};
}

void CMainFrame::SetBusyText(const QString& text)
{
    if (m_strBusyText == text)
        return;
    m_strBusyText = text;
    ShowBusyPane(text);
    Q_EMIT busyTextChanged(text);
}

// While the box is busy the window shows a wait cursor; when it is done the
// message pane says "Ready" again.
void CMainFrame::ShowBusyPane(const QString& text)
{
    m_pBusyPane->setText(text);
    const bool busy = !text.isEmpty();
    if (busy && !m_bWaitCursor)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else if (!busy && m_bWaitCursor)
        QGuiApplication::restoreOverrideCursor();
    m_bWaitCursor = busy;
    statusBar()->clearMessage();
    // The run blocks the event loop right after this; show the text now.
    m_pBusyPane->repaint();
}

void CMainFrame::ShowRunStatus(const QString& text)
{
    statusBar()->showMessage(text);
}

void CMainFrame::RebuildRecentFileMenu()
{
    for (QAction* action : findChildren<QAction*>(QStringLiteral("recentFile")))
        delete action;
    const QStringList& files = m_recentFiles.Files();
    if (files.isEmpty()) {
        auto* placeholder = new QAction(QStringLiteral("Recent &File"), this);
        placeholder->setObjectName(QStringLiteral("recentFile"));
        placeholder->setEnabled(false);
        m_pFileMenu->insertAction(m_pRecentAnchor, placeholder);
        return;
    }
    for (int i = 0; i < files.size(); ++i) {
        const QString path = files[i];
        auto* entry = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(path), this);
        entry->setObjectName(QStringLiteral("recentFile"));
        entry->setStatusTip(QStringLiteral("Open this experiment file"));
        connect(entry, &QAction::triggered, this, [this, path] { OpenRecentFile(path); });
        m_pFileMenu->insertAction(m_pRecentAnchor, entry);
    }
}

void CMainFrame::OnRecordChanged()
{
    m_pGraphView->OnDocumentChanged();
    update();
}

bool CMainFrame::MayReplaceRecord()
{
    if (!m_doc.IsModified())
        return true;
    const QString question =
        m_doc.RunUnlogged() ? kRunNotLogged + QLatin1Char('\n') + kSaveChanges : kSaveChanges;
    switch (m_services.prompt.AskYesNoCancel(question)) {
    case COperatorPrompt::Answer::Yes:
        return OnFileSave();
    case COperatorPrompt::Answer::No:
        return true;
    case COperatorPrompt::Answer::Cancel:
        break;
    }
    return false;
}

void CMainFrame::OnFileNew()
{
    if (!MayReplaceRecord())
        return;
    m_doc.OnNewDocument();
    m_bSaveNeedsName = false;
    m_pLeftView->OnInitialUpdate();
    OnRecordChanged();
}

void CMainFrame::OnFileOpen()
{
    CFileChooser::Request request;
    request.caption = QStringLiteral("Open");
    request.filter = kExperimentFilter;
    request.defaultSuffix = QStringLiteral("exp");
    const QString path = m_services.files.ChooseFileToOpen(this, request);
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

void CMainFrame::OpenRecentFile(const QString& path)
{
    if (!OpenDocumentFile(path)) {
        m_recentFiles.Remove(path);
        m_recentFiles.Save();
        RebuildRecentFileMenu();
    }
}

bool CMainFrame::OpenDocumentFile(const QString& path)
{
    if (!MayReplaceRecord())
        return true;
    if (!m_doc.Load(path)) {
        ShowFileError(m_doc.FileErrorString());
        return false;
    }
    if (!m_doc.LoadMessage().isEmpty())
        ShowFileError(m_doc.LoadMessage());
    // A file that did not load whole is never written over by File Save:
    // that would replace what it still holds with what was understood.
    m_bSaveNeedsName = m_doc.LastLoadOutcome() != CZentakDoc::LoadOutcome::Complete;
    m_recentFiles.Add(path);
    m_recentFiles.Save();
    RebuildRecentFileMenu();
    m_pLeftView->OnInitialUpdate();
    OnRecordChanged();
    return true;
}

void CMainFrame::OnFileOpenFromRunLog()
{
    CRunLogDialog dialog(m_doc.RunLogPath(), m_services.prompt, this);
    if (dialog.exec() == QDialog::Accepted)
        OpenRunLogEntry(dialog.Reader(), dialog.ChosenIndex());
}

void CMainFrame::OpenRunLogEntry(const CRunLogReader& log, qsizetype index)
{
    if (!MayReplaceRecord())
        return;
    if (!m_doc.LoadRunLogEntry(log, index)) {
        ShowFileError(m_doc.FileErrorString());
        return;
    }
    if (!m_doc.LoadMessage().isEmpty())
        ShowFileError(m_doc.LoadMessage());
    m_bSaveNeedsName = true;
    m_pLeftView->OnInitialUpdate();
    OnRecordChanged();
}

bool CMainFrame::OnFileSave()
{
    if (m_doc.PathName().isEmpty() || m_bSaveNeedsName)
        return OnFileSaveAs();
    return DoSave(m_doc.PathName());
}

bool CMainFrame::OnFileSaveAs()
{
    CFileChooser::Request request;
    request.caption = QStringLiteral("Save As");
    request.filter = kExperimentFilter;
    request.defaultSuffix = QStringLiteral("exp");
    request.initialName = SuggestedName(QStringLiteral(".exp"));
    const QString path = m_services.files.ChooseFileToSave(this, request);
    if (path.isEmpty())
        return false;
    return DoSave(path);
}

bool CMainFrame::DoSave(const QString& path)
{
    if (!m_doc.Save(path)) {
        ShowFileError(m_doc.FileErrorString());
        return false;
    }
    m_bSaveNeedsName = false;
    statusBar()->showMessage(QStringLiteral("Saved %1").arg(QDir::toNativeSeparators(path)));
    m_recentFiles.Add(path);
    m_recentFiles.Save();
    RebuildRecentFileMenu();
    return true;
}

void CMainFrame::OnFileSaveCsv()
{
    CFileChooser::Request request;
    request.caption = QStringLiteral("Save As");
    request.filter = kCsvFilter;
    request.defaultSuffix = QStringLiteral("csv");
    request.confirmOverwrite = false;
    const QString path = m_services.files.ChooseFileToSave(this, request);
    if (!path.isEmpty() && !m_doc.SaveCsv(path))
        ShowFileError(m_doc.FileErrorString());
}

void CMainFrame::OnFileExportGraph()
{
    CFileChooser::Request request;
    request.caption = QStringLiteral("Export Graph");
    request.filter = CGraphExport::kFilter;
    request.defaultSuffix = QStringLiteral("png");
    request.initialName = SuggestedName(QStringLiteral(".png"));
    const QString path = m_services.files.ChooseFileToSave(this, request);
    QString error;
    if (!path.isEmpty() && !m_pGraphView->ExportGraph(path, &error))
        ShowFileError(error);
}

QString CMainFrame::SuggestedName(const QString& suffix) const
{
    if (m_doc.PathName().isEmpty() && !m_doc.SuggestedFileName().isEmpty())
        return QFileInfo(m_doc.SuggestedFileName()).completeBaseName() + suffix;
    if (m_doc.PathName().isEmpty())
        return kUntitled + suffix;
    const QFileInfo info(m_doc.PathName());
    return info.dir().filePath(info.completeBaseName() + suffix);
}

void CMainFrame::ShowFileError(const QString& message)
{
    m_services.prompt.ShowMessage(message, COperatorPrompt::Icon::Exclamation);
}

void CMainFrame::OnFilePrint()
{
    m_pGraphView->OnFilePrint();
}

void CMainFrame::OnFilePrintPreview()
{
    m_pGraphView->OnFilePrintPreview();
}

void CMainFrame::OnFilePrintSetup()
{
    m_pGraphView->OnFilePrintSetup();
}

void CMainFrame::OnAppAbout()
{
    CAboutDialog about(this);
    about.exec();
}

void CMainFrame::OnViewQualityCheckSettings()
{
    CQualityCheckDialog dialog(m_qualityThresholds, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_qualityThresholds = dialog.Thresholds();
    CQualitySettings::Save(m_qualityThresholds);
    m_pLeftView->SetQualityThresholds(m_qualityThresholds);
    m_pGraphView->SetQualityThresholds(m_qualityThresholds);
    m_pEarlierDock->SetQualityThresholds(m_qualityThresholds);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!m_strBusyText.isEmpty() || !MayReplaceRecord()) {
        event->ignore();
        return;
    }
    m_recentFiles.Save();
    event->accept();
}
