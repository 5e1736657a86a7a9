#include "graph/CGraphFileWriter.h"

#include "graph/CGraphPainter.h"

#include <QImage>
#include <QImageWriter>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace {

bool Fail(QString* error, const QString& text)
{
    if (error)
        *error = text;
    return false;
}

QString CannotWrite(const QString& path, const QString& reason)
{
    return QStringLiteral("Cannot write %1: %2").arg(path, reason);
}

CGraphPainter MakeGraph(const CZentakDoc& doc, int& forceScaleStep)
{
    CGraphPainter graph(doc, forceScaleStep);
    graph.SetTitles(CGraphPainter::kDefaultDispTitle, CGraphPainter::kDefaultForceTitle);
    return graph;
}

}  // namespace

bool CGraphFileWriter::WritePng(const CZentakDoc& doc, const QString& path, const QSize& clientSize,
                                QString* error)
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
        MakeGraph(doc, forceScaleStep).PaintScreen(painter, image.rect());
    }

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Fail(error, CannotWrite(path, file.errorString()));
    QImageWriter writer(&file, "png");
    if (!writer.write(image)) {
        file.cancelWriting();
        return Fail(error, CannotWrite(path, writer.errorString()));
    }
    if (!file.commit())
        return Fail(error, CannotWrite(path, file.errorString()));
    return true;
}

bool CGraphFileWriter::WritePdf(const CZentakDoc& doc, const QString& path, int clientHeight,
                                QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Fail(error, CannotWrite(path, file.errorString()));
    {
        QPdfWriter pdf(&file);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
        QPainter painter;
        if (!painter.begin(&pdf)) {
            file.cancelWriting();
            return Fail(error, CannotWrite(path, QStringLiteral("the PDF page cannot be started")));
        }
        int forceScaleStep = 0;
        MakeGraph(doc, forceScaleStep)
            .PaintPage(painter, QSize(pdf.width(), pdf.height()), clientHeight);
        painter.end();
    }
    if (!file.commit())
        return Fail(error, CannotWrite(path, file.errorString()));
    return true;
}
