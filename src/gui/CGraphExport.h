#pragma once

#include <QPageLayout>
#include <QSize>
#include <QString>

#include <functional>

class QPainter;

// File > Export Graph: the printed page's picture written as a PNG image, a
// PDF page or (where QtSvg is) an SVG drawing, chosen by the file name's suffix. PNG and SVG
// hold the page's printable area, the PDF the whole page with its margins.
// The file is replaced only once it is complete.
class CGraphExport
{
public:
    static constexpr int kImageDpi = 300;
#ifdef ZENTAK_SVG_EXPORT
    static inline const QString kFilter =
        QStringLiteral("PNG Image (*.png);;PDF Document (*.pdf);;SVG Drawing (*.svg)");
    static inline const QString kFormatNames = QStringLiteral("PNG, PDF or SVG");
    static inline const QString kSuffixes = QStringLiteral(".png, .pdf or .svg");
#else
    static inline const QString kFilter = QStringLiteral("PNG Image (*.png);;PDF Document (*.pdf)");
    static inline const QString kFormatNames = QStringLiteral("PNG or PDF");
    static inline const QString kSuffixes = QStringLiteral(".png or .pdf");
#endif

    // Draws the page onto a painter whose printable area has the given size.
    using PagePainter = std::function<void(QPainter& painter, const QSize& printableArea)>;

    // Never onto the run log runLog, nor onto what is not a file (COutputTarget).
    static bool Write(const QString& path, const QPageLayout& layout, const PagePainter& paint,
                      const QString& runLog, QString* error);
};
