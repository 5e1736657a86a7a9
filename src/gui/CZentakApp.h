#pragma once

#include "core/device/CPortFactory.h"
#include "core/device/CSystemClock.h"
#include "core/program/CUserSettings.h"
#include "gui/CMessageBoxPrompt.h"
#include "gui/CQtFileChooser.h"

#include <QStringList>

#include <memory>
#include <optional>

class CMainFrame;

// The program: its services, the main window and the start-up sequence.
class CZentakApp
{
public:
    static inline const QString kOrganization = CUserSettings::kOrganization;
    static inline const QString kApplication = CUserSettings::kApplication;
    static inline const QString kUsage =
        QStringLiteral("zentak [--port NAME] [--no-splash] [FILE.exp]");

    struct Options {
        QString file;
        QString port;
        bool splash = true;
    };

    // The command line: an optional experiment file, --port NAME to start on
    // another port than Com1 (Simulator: the built-in control box), and
    // --no-splash. Empty with the reason in *error when it cannot be read.
    static std::optional<Options> ParseArguments(const QStringList& arguments, QString* error);

    // What --help and --version print. They are answered before the window's
    // toolkit starts, so they need no display.
    static QString HelpText();
    static QString VersionText();
    // The text the arguments ask for instead of a window, or empty.
    static QString InformationRequested(const QStringList& arguments);

    CZentakApp();
    ~CZentakApp();

    // Builds and shows the window; false when the named file cannot be read,
    // in which case the program ends without a window.
    bool InitInstance(const Options& options);

    CMainFrame* MainFrame() const { return m_pMainFrame.get(); }

private:
    CMessageBoxPrompt m_prompt;
    CSystemClock m_clock;
    CPortFactory m_ports;
    CQtFileChooser m_files;
    std::unique_ptr<CMainFrame> m_pMainFrame;
};
