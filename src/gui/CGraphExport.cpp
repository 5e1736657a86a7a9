#include "gui/CGraphExport.h"

#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

namespace {

enum class Format { Png, Pdf, Svg, Unknown };

Format FormatOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return Format::Png;
    if (suffix == QLatin1String("pdf"))
        return Format::Pdf;
    if (suffix == QLatin1String("svg"))
        return Format::Svg;
    return Format::Unknown;
}

QString CannotWrite(const QString& path, const QString& reason)
{
    return QStringLiteral("Cannot write %1: %2").arg(path, reason);
}

bool WritePng(QSaveFile& file, const QPageLayout& layout, const CGraphExport::PagePainter& paint,
              QString& reason)
{
    const QSize area = layout.paintRectPixels(CGraphExport::kImageDpi).size();
    QImage image(area, QImage::Format_RGB32);
    if (image.isNull()) {
        reason = QStringLiteral("not enough memory for the picture");
        return false;
    }
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        paint(painter, area);
    }
    QImageWriter writer(&file, "png");
    if (writer.write(image))
        return true;
    reason = writer.errorString();
    return false;
}

bool WritePdf(QSaveFile& file, const QPageLayout& layout, const CGraphExport::PagePainter& paint,
              QString& reason)
{
    QPdfWriter pdf(&file);
    pdf.setCreator(QStringLiteral("Zentak"));
    pdf.setPageLayout(layout);
    QPainter painter;
    if (!painter.begin(&pdf)) {
        reason = QStringLiteral("the PDF page cannot be started");
        return false;
    }
    paint(painter, QSize(pdf.width(), pdf.height()));
    return painter.end();
}

bool WriteSvg(QSaveFile& file, const QPageLayout& layout, const CGraphExport::PagePainter& paint,
              QString& reason)
{
    const QSize area = layout.paintRectPixels(CGraphExport::kImageDpi).size();
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setResolution(CGraphExport::kImageDpi);
    svg.setSize(area);
    svg.setViewBox(QRect(QPoint(0, 0), area));
    svg.setTitle(QStringLiteral("Zentak graphs"));
    QPainter painter;
    if (!painter.begin(&svg)) {
        reason = QStringLiteral("the SVG drawing cannot be started");
        return false;
    }
    paint(painter, area);
    return painter.end();
}

}  // namespace

bool CGraphExport::Write(const QString& path, const QPageLayout& layout, const PagePainter& paint,
                         QString* error)
{
    const Format format = FormatOf(path);
    QString reason;
    if (format == Format::Unknown) {
        reason = QStringLiteral("the name must end in .png, .pdf or .svg");
    } else {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            reason = file.errorString();
        } else {
            bool written = false;
            if (format == Format::Png)
                written = WritePng(file, layout, paint, reason);
            else if (format == Format::Pdf)
                written = WritePdf(file, layout, paint, reason);
            else
                written = WriteSvg(file, layout, paint, reason);
            // A buffered last write can fail unseen by commit(): flush first.
            if (written && file.flush() && file.commit())
                return true;
            if (reason.isEmpty())
                reason = file.errorString();
            file.cancelWriting();
        }
    }
    if (error)
        *error = CannotWrite(path, reason);
    return false;
}
