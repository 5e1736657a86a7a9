#include "gui/CGraphExport.h"

#include "core/files/COutputTarget.h"
#include "core/files/CWholeFileWrite.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#ifdef ZENTAK_SVG_EXPORT
#include <QSvgGenerator>
#endif

namespace {

enum class Format { Png, Pdf, Svg, Unknown };

Format FormatOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return Format::Png;
    if (suffix == QLatin1String("pdf"))
        return Format::Pdf;
#ifdef ZENTAK_SVG_EXPORT
    if (suffix == QLatin1String("svg"))
        return Format::Svg;
#endif
    return Format::Unknown;
}

QString CannotWrite(const QString& path, const QString& reason)
{
    return QStringLiteral("Cannot write %1: %2").arg(path, reason);
}

bool WritePng(QIODevice& device, const QPageLayout& layout, const CGraphExport::PagePainter& paint,
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
    QImageWriter writer(&device, "png");
    if (writer.write(image))
        return true;
    reason = writer.errorString();
    return false;
}

bool WritePdf(QIODevice& device, const QPageLayout& layout, const CGraphExport::PagePainter& paint,
              QString& reason)
{
    QPdfWriter pdf(&device);
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

#ifdef ZENTAK_SVG_EXPORT
bool WriteSvg(QIODevice& device, const QPageLayout& layout, const CGraphExport::PagePainter& paint,
              QString& reason)
{
    const QSize area = layout.paintRectPixels(CGraphExport::kImageDpi).size();
    QSvgGenerator svg;
    svg.setOutputDevice(&device);
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
#endif

// Drawn in memory and then written whole: an encoder that meets a full disk
// only says "Unknown error", the file says why.
bool Draw(QIODevice& device, Format format, const QPageLayout& layout,
          const CGraphExport::PagePainter& paint, QString& reason)
{
    if (format == Format::Png)
        return WritePng(device, layout, paint, reason);
#ifdef ZENTAK_SVG_EXPORT
    if (format == Format::Svg)
        return WriteSvg(device, layout, paint, reason);
#endif
    return WritePdf(device, layout, paint, reason);
}

bool Save(const QString& path, const QByteArray& bytes, QString& reason)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && CWholeFileWrite::Write(file, bytes) &&
        CWholeFileWrite::Commit(file))
        return true;
    reason = file.errorString();
    return false;
}

}  // namespace

bool CGraphExport::Write(const QString& path, const QPageLayout& layout, const PagePainter& paint,
                         const QString& runLog, QString* error)
{
    const COutputTarget::Result target = COutputTarget::Check(path, {runLog});
    if (!target.Usable()) {
        if (error)
            *error = target.message;
        return false;
    }
    const Format format = FormatOf(path);
    QString reason;
    if (format == Format::Unknown) {
        reason = QStringLiteral("the name must end in ") + CGraphExport::kSuffixes;
    } else {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (Draw(buffer, format, layout, paint, reason) && Save(path, bytes, reason))
            return true;
    }
    if (error)
        *error = CannotWrite(path, reason);
    return false;
}
