#include "render/COverlayFileWriter.h"

#include "render/CGraphFileWriter.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>

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
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        return Fail(error, QStringLiteral("The picture for %1 could not be made: %2.")
                               .arg(QDir::toNativeSeparators(path), writer.errorString()));
    return CGraphFileWriter::SaveWhole(path, png, error);
}

bool COverlayFileWriter::WritePdf(const QList<COverlayPainter::Group>& groups, const QString& path,
                                  QString* error)
{
    QByteArray page;
    QBuffer buffer(&page);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
        QPainter painter;
        if (!painter.begin(&pdf))
            return Fail(error, QStringLiteral("The page for %1 could not be started.")
                                   .arg(QDir::toNativeSeparators(path)));
        COverlayPainter(groups).Paint(painter, QRectF(0, 0, pdf.width(), pdf.height()));
        painter.end();
    }
    return CGraphFileWriter::SaveWhole(path, page, error);
}
