// zentak-icons: writes the program's icon, which is drawn by code, as the
// PNG files of the desktop's icon theme: DIR/NxN/apps/zentak.png.

#include "render/CArtwork.h"

#include <QDir>
#include <QTextStream>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        QTextStream(stderr) << "usage: zentak-icons DIR\n";
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        const QString path = root.filePath(folder + QStringLiteral("/zentak.png"));
        if (!root.mkpath(folder) || !CArtwork::DrawApplicationIcon(size).save(path)) {
            QTextStream(stderr) << "zentak-icons: cannot write " << path << '\n';
            return 1;
        }
    }
    return 0;
}
