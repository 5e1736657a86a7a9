#include "app/CZentakApp.h"
#include "graph/CGraphPainter.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(CZentakApp::kOrganization);
    QCoreApplication::setApplicationName(CZentakApp::kApplication);
    CGraphPainter::SubstituteArial();

    QString error;
    const auto options = CZentakApp::ParseArguments(QCoreApplication::arguments(), &error);
    if (!options) {
        QTextStream(stderr) << error << '\n';
        return 2;
    }
    CZentakApp zentak;
    if (!zentak.InitInstance(*options))
        return 1;
    return application.exec();
}
