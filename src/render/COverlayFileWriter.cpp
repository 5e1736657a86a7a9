#include "render/COverlayFileWriter.h"

#include "render/CGraphFileWriter.h"

#include <QDir>
#include <QImage>
#include <QPainter>

namespace {

bool Fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

}  // namespace

bool COverlayFileWriter::WritePng(const QList<COverlayPainter::Group>& groups, const QString& path,
                                  QString* error)
{
    QImage image(kPngSize, QImage::Format_RGB32);
    if (image.isNull())
        return Fail(error, QStringLiteral("Not enough memory for the picture of %1.")
                               .arg(QDir::toNativeSeparators(path)));
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        COverlayPainter(groups).Paint(painter, QRectF(image.rect()).adjusted(20, 20, -20, -20));
    }
    return CGraphFileWriter::SavePng(image, path, error);
}

bool COverlayFileWriter::WritePdf(const QList<COverlayPainter::Group>& groups, const QString& path,
                                  QString* error)
{
    return CGraphFileWriter::SaveA4Pdf(
        path,
        [&](QPainter& painter, const QSize& page) {
            COverlayPainter(groups).Paint(painter, QRectF(QPointF(0, 0), QSizeF(page)));
        },
        error);
}
