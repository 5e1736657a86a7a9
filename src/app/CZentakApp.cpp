#include "app/CZentakApp.h"

#include "app/CMainFrame.h"
#include "app/CSplashDialog.h"

#include <QCommandLineParser>

std::optional<CZentakApp::Options> CZentakApp::ParseArguments(const QStringList& arguments,
                                                              QString* error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Spinal cord impactor control program"));
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("Start on this serial port (Simulator: the "
                                                 "built-in control box)."),
                                  QStringLiteral("name"));
    const QCommandLineOption noSplash(QStringLiteral("no-splash"),
                                      QStringLiteral("Do not show the start-up picture."));
    parser.addOption(port);
    parser.addOption(noSplash);
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("Experiment file to open."),
                                 QStringLiteral("[file]"));
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return std::nullopt;
    }
    if (parser.positionalArguments().size() > 1) {
        *error = QStringLiteral("Only one experiment file can be opened.");
        return std::nullopt;
    }
    Options options;
    options.file = parser.positionalArguments().value(0);
    options.port = parser.value(port);
    options.splash = !parser.isSet(noSplash);
    return options;
}

CZentakApp::CZentakApp() = default;

CZentakApp::~CZentakApp() = default;

bool CZentakApp::InitInstance(const Options& options)
{
    m_pMainFrame =
        std::make_unique<CMainFrame>(CFrameServices{m_prompt, m_clock, m_ports, m_files});
    m_prompt.SetParentWidget(m_pMainFrame.get());
    CSharedWindowState& state = m_pMainFrame->State();
    if (!options.port.isEmpty())
        state.ApplySerialSettings(options.port, state.m_nBaudRate, state.m_strParity,
                                  state.m_strStopBits, state.m_nByteSize);
    if (!options.file.isEmpty() && !m_pMainFrame->OpenDocumentFile(options.file))
        return false;
    m_pMainFrame->show();
    m_pMainFrame->repaint();
    if (options.splash) {
        CSplashDialog splash(m_pMainFrame.get());
        splash.exec();
    }
    return true;
}
