#include "gui/CZentakApp.h"
#include "render/CGraphPainter.h"

#include <QApplication>
#include <QTextStream>

namespace {

QStringList ArgumentsOf(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

}  // namespace

int main(int argc, char* argv[])
{
    const QString information = CZentakApp::InformationRequested(ArgumentsOf(argc, argv));
    if (!information.isEmpty()) {
        QTextStream(stdout) << information;
        return 0;
    }
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(CZentakApp::kOrganization);
    QCoreApplication::setApplicationName(CZentakApp::kApplication);
    CGraphPainter::SubstituteArial();

    QString error;
    const auto options = CZentakApp::ParseArguments(QCoreApplication::arguments(), &error);
    if (!options) {
        QTextStream(stderr) << error << "\nusage: " << CZentakApp::kUsage << '\n';
        return 2;
    }
    CZentakApp zentak;
    if (!zentak.InitInstance(*options))
        return 1;
    return application.exec();
}
