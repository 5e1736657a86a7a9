#include "gui/CMaintenanceCommands.h"

#include "core/files/CFirmwareFile.h"
#include "core/protocol/CFirmwareTransfer.h"
#include "core/protocol/COperatorPrompt.h"
#include "gui/CFileChooser.h"
#include "gui/CForcePropDialog.h"
#include "gui/CProgressDialog.h"
#include "gui/CSerialIODialog.h"
#include "gui/CSerialPropDialog.h"

#include <QDialog>

CMaintenanceCommands::CMaintenanceCommands(QWidget* window, CSerialSettings& settings,
                                           COperatorPrompt& prompt, CPortFactory& ports,
                                           CClock& clock, CFileChooser& files, QObject* parent)
    : QObject(parent), m_pWindow(window), m_rSettings(settings), m_rPrompt(prompt), m_rFiles(files),
      m_pTerminalDlg(new CSerialIODialog(ports, clock, prompt, settings, window)),
      m_pSerialDlg(new CSerialPropDialog(settings, window)),
      m_pProgressDlg(new CProgressDialog(ports, clock, prompt, window)),
      m_pForceDlg(new CForcePropDialog(ports, clock, prompt, settings, window))
{
}

CMaintenanceCommands::~CMaintenanceCommands()
{
    delete m_pTerminalDlg;
    delete m_pSerialDlg;
    delete m_pProgressDlg;
    delete m_pForceDlg;
}

void CMaintenanceCommands::OnFileReprogram()
{
    if (LoadHexFile() && m_rPrompt.AskYesNo(CFirmwareTransfer::kQuestion))
        Reprogram();
    m_arrHexLines.clear();
    m_bHexLoaded = false;
}

bool CMaintenanceCommands::LoadHexFile()
{
    CFileChooser::Request request;
    request.caption = QStringLiteral("Open");
    request.filter = kHexFilter;
    request.defaultSuffix = QStringLiteral("hex");
    request.initialName = QStringLiteral("*.hex");
    request.confirmOverwrite = false;
    const QString path = m_rFiles.ChooseFileToOpen(m_pWindow, request);
    if (path.isEmpty())
        return false;
    QString error;
    if (!CFirmwareFile::ReadLines(path, m_arrHexLines, error)) {
        m_rPrompt.ShowMessage(error, COperatorPrompt::Icon::Exclamation);
        return false;
    }
    m_bHexLoaded = true;
    return true;
}

void CMaintenanceCommands::Reprogram()
{
    Q_EMIT busyTextChanged(kBusyText);
    const int result = m_pProgressDlg->Execute(m_rSettings, m_arrHexLines);
    Q_EMIT busyTextChanged(QString());
    m_rPrompt.ShowMessage(CFirmwareTransfer::OutcomeMessage(
                              result, m_pProgressDlg->UnansweredLines(), m_arrHexLines.size()),
                          COperatorPrompt::Icon::Exclamation);
}

void CMaintenanceCommands::OnViewForceSensitivity()
{
    m_pForceDlg->Execute();
}

void CMaintenanceCommands::OnViewSerialSettings()
{
    m_pSerialDlg->Execute();
}

void CMaintenanceCommands::OnViewSerialTerminal()
{
    if (m_pTerminalDlg->Execute() == QDialog::Accepted)
        Q_EMIT repaintRequested();
}
