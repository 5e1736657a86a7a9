#include "render/CGraphFileWriter.h"

#include "core/files/CWholeFileWrite.h"
#include "render/CGraphPainter.h"
#include "render/CRunPrintout.h"

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

CGraphPainter MakeGraph(const CImpactRecord& record, int& forceScaleStep)
{
    CGraphPainter graph(record, forceScaleStep);
    graph.SetTitles(CGraphPainter::kDefaultDispTitle, CGraphPainter::kDefaultForceTitle);
    return graph;
}

}  // namespace

bool CGraphFileWriter::SaveWhole(const QString& path, const QByteArray& bytes, QString* error)
{
    QString text;
    return CWholeFileWrite::Replace(path, bytes, text) || Fail(error, text);
}

bool CGraphFileWriter::WritePng(const CImpactRecord& record, const QString& path,
                                const QSize& clientSize, QString* error)
{
    if (clientSize.isEmpty())
        return Fail(error, QStringLiteral("The picture size must be at least 1 x 1 pixels."));
    QImage image(clientSize, QImage::Format_RGB32);
    if (image.isNull())
        return Fail(error, QStringLiteral("Not enough memory for a picture of %1 x %2 pixels.")
                               .arg(clientSize.width())
                               .arg(clientSize.height()));
    image.fill(Qt::white);
    int forceScaleStep = 0;
    {
        QPainter painter(&image);
        MakeGraph(record, forceScaleStep).PaintScreen(painter, image.rect());
    }
    return SavePng(image, path, error);
}

bool CGraphFileWriter::WritePdf(const CImpactRecord& record, const QString& path, int clientHeight,
                                QString* error, const CQualityThresholds& thresholds,
                                const QString& sourceName)
{
    bool paged = true;
    const bool saved = SaveA4Pdf(
        path,
        [&](QPainter& painter, const QSize& page) {
            int forceScaleStep = 0;
            CRunPrintout printout(record, forceScaleStep, thresholds, sourceName);
            printout.SetScreen(clientHeight, CGraphPainter::PrimaryScreenDpiY());
            paged = printout.Paint(painter, page);
        },
        error);
    if (saved && !paged && error)
        *error = QStringLiteral("Cannot write %1: a page could not be added").arg(path);
    return saved && paged;
}

bool CGraphFileWriter::SavePng(const QImage& image, const QString& path, QString* error)
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        return Fail(error, QStringLiteral("The picture for %1 could not be made: %2.")
                               .arg(QDir::toNativeSeparators(path), writer.errorString()));
    return SaveWhole(path, png, error);
}

bool CGraphFileWriter::SaveA4Pdf(const QString& path, const PagePainter& paint, QString* error)
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
        paint(painter, QSize(pdf.width(), pdf.height()));
        painter.end();
    }
    return SaveWhole(path, page, error);
}
