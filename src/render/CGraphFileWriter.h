#pragma once

#include "core/quality/CQualityThresholds.h"

#include <QSize>
#include <QString>

#include <functional>

class CImpactRecord;
class QImage;
class QPainter;

// The graph pane's picture written to a file without a window: a PNG of a
// pane of the given client size, or a PDF of the run as printed.
// Files are replaced only once they are complete: a failure leaves the
// previous file as it was and says why, naming the file.
class CGraphFileWriter
{
public:
    // The graph pane of the 800 x 600 window as it opens (the window's test
    // keeps the two equal).
    static constexpr QSize kDefaultClientSize{529, 527};

    static bool WritePng(const CImpactRecord& record, const QString& path, const QSize& clientSize,
                         QString* error);
    // The printed run on A4 pages with 10 mm margins, judged by the
    // thresholds and naming the file it came from; the text follows a pane
    // clientHeight pixels high.
    static bool WritePdf(const CImpactRecord& record, const QString& path, int clientHeight,
                         QString* error, const CQualityThresholds& thresholds = {},
                         const QString& sourceName = {});

    // Pictures are made in memory and then written whole, so the encoders
    // never meet a disk that refuses bytes (they would only say "Unknown
    // error"). False with the reason, naming the file, in error.
    static bool SaveWhole(const QString& path, const QByteArray& bytes, QString* error);
    // The image encoded as PNG, then saved whole.
    static bool SavePng(const QImage& image, const QString& path, QString* error);
    // One A4 portrait page with 10 mm margins; paint draws it in the page's device pixels.
    using PagePainter = std::function<void(QPainter& painter, const QSize& page)>;
    static bool SaveA4Pdf(const QString& path, const PagePainter& paint, QString* error);
};
