#include "gui/CZentakApp.h"

#include "core/program/CHelpText.h"
#include "core/program/ZentakVersion.h"
#include "gui/CMainFrame.h"
#include "gui/CSplashDialog.h"

#include <QCommandLineParser>

namespace {

struct WindowOption {
    const char* name;
    const char* valueName;
    QString meaning;
};

// The window's options, read by the parser and listed by --help alike.
QList<WindowOption> WindowOptions()
{
    return {
        {"port", "NAME",
         QStringLiteral("Serial port to start on instead of Com1: Com1 to Com9 (on Linux "
                        "/dev/ttyS0 to /dev/ttyS8), a device path such as /dev/ttyUSB0, or "
                        "Simulator, the control box simulated inside Zentak. The other settings "
                        "start at 9600 baud, no parity, 1 stop bit, 8 data bits; View > Serial "
                        "Port Settings changes them all.")},
        {"no-splash", nullptr, QStringLiteral("Do not show the start-up picture.")},
    };
}

bool AsksFor(const QStringList& arguments, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        if (arguments.mid(1).contains(QLatin1String(name)))
            return true;
    }
    return false;
}

}  // namespace

std::optional<CZentakApp::Options> CZentakApp::ParseArguments(const QStringList& arguments,
                                                              QString* error)
{
    QCommandLineParser parser;
    for (const WindowOption& option : WindowOptions())
        parser.addOption(QCommandLineOption(QLatin1String(option.name), option.meaning,
                                            QLatin1String(option.valueName)));
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
    options.port = parser.value(QStringLiteral("port"));
    options.splash = !parser.isSet(QStringLiteral("no-splash"));
    return options;
}

QString CZentakApp::HelpText()
{
    QList<CHelpText::Entry> options;
    for (const WindowOption& option : WindowOptions()) {
        QString term = QStringLiteral("--") + QLatin1String(option.name);
        if (option.valueName)
            term += u' ' + QLatin1String(option.valueName);
        options.append({term, option.meaning});
    }
    options.append({QStringLiteral("-h, --help"), QStringLiteral("Print this help and exit.")});
    options.append({QStringLiteral("--version"), QStringLiteral("Print the version and exit.")});
    return CHelpText::Format(
        {kUsage, QStringLiteral("zentak --help | --version")},
        {QStringLiteral("The Zentak window: runs impacts on the ZR spinal cord impactor, shows the "
                        "force and displacement traces with a table of the samples, keeps every "
                        "impact in the run log, saves, exports and prints experiments and looks "
                        "after the control box."),
         QStringLiteral("The toolkit's own options (-platform NAME, -style NAME, ...) are "
                        "accepted as well.")},
        {{QStringLiteral("Arguments"),
          {{QStringLiteral("FILE.exp"),
            QStringLiteral("An experiment file to open at start-up, in any of its layouts.")}}},
         {QStringLiteral("Options"), options}});
}

QString CZentakApp::VersionText()
{
    return QStringLiteral("zentak %1\n").arg(QLatin1String(ZentakVersion::kNumber));
}

QString CZentakApp::InformationRequested(const QStringList& arguments)
{
    if (AsksFor(arguments, {"--help", "-h"}))
        return HelpText();
    if (AsksFor(arguments, {"--version"}))
        return VersionText();
    return QString();
}

CZentakApp::CZentakApp() = default;

CZentakApp::~CZentakApp() = default;

bool CZentakApp::InitInstance(const Options& options)
{
    m_pMainFrame =
        std::make_unique<CMainFrame>(CFrameServices{m_prompt, m_clock, m_ports, m_files});
    m_prompt.SetParentWidget(m_pMainFrame.get());
    if (!options.port.isEmpty()) {
        const CSerialSettings settings = m_pMainFrame->SerialSettings();
        m_pMainFrame->ApplySerialSettings(options.port, settings.m_nBaudRate, settings.m_strParity,
                                          settings.m_strStopBits, settings.m_nByteSize);
    }
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
