#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

class CClock;
class CFileChooser;
class COperatorPrompt;
class CPortFactory;
class CSerialSettings;
class CForcePropDialog;
class CProgressDialog;
class CSerialIODialog;
class CSerialPropDialog;
class QWidget;

// The main window's maintenance commands and the four dialogs they run.
// The dialogs live as long as this object, so what they hold (the
// terminal's texts) survives from one opening to the next.
//
// Menu entries, in the window's menus:
//   File: "Reprogram Firmware" after "P&rint Setup..." and its separator,
//         followed by a separator, then the recent files   -> OnFileReprogram
//   View, after the separator that follows "Force Graph":
//         "Serial P&ort Settings"                          -> OnViewSerialSettings
//         "&Force Sensitivity Settings"                    -> OnViewForceSensitivity
//         "Serial Ter&minal"                               -> OnViewSerialTerminal
class CMaintenanceCommands : public QObject
{
    Q_OBJECT

public:
    static inline const QString kHexFilter = QStringLiteral("Hex Files (*.hex);;All Files (*.*)");
    static inline const QString kBusyText = QStringLiteral("BUSY");

    // settings are the window's: the settings dialog changes them, every
    // exchange reads them.
    CMaintenanceCommands(QWidget* window, CSerialSettings& settings, COperatorPrompt& prompt,
                         CPortFactory& ports, CClock& clock, CFileChooser& files,
                         QObject* parent = nullptr);
    ~CMaintenanceCommands() override;

    void OnFileReprogram();
    void OnViewForceSensitivity();
    void OnViewSerialSettings();
    void OnViewSerialTerminal();

Q_SIGNALS:
    // The frame repaints itself (after the terminal's "&Done").
    void repaintRequested();
    // kBusyText while the firmware upgrade holds the box, then "".
    void busyTextChanged(const QString& text);

private:
    bool LoadHexFile();
    void Reprogram();

    QWidget* m_pWindow;
    CSerialSettings& m_rSettings;
    COperatorPrompt& m_rPrompt;
    CFileChooser& m_rFiles;
    // Owned; the window may have deleted them already as their parent.
    QPointer<CSerialIODialog> m_pTerminalDlg;
    QPointer<CSerialPropDialog> m_pSerialDlg;
    QPointer<CProgressDialog> m_pProgressDlg;
    QPointer<CForcePropDialog> m_pForceDlg;
    // The firmware file of the command under way; empty between commands.
    QStringList m_arrHexLines;
    bool m_bHexLoaded = false;
};
