#pragma once

#include "render/COverlayPainter.h"

#include <QSize>

// The overlay of a study's traces written to a file without a window: a PNG
// of an A4 page at 150 dots per inch, or a one-page A4 PDF. As with the
// graphs, a file is replaced only once it is complete.
class COverlayFileWriter
{
public:
    static constexpr QSize kPngSize{1240, 1754};

    static bool WritePng(const QList<COverlayPainter::Group>& groups, const QString& path,
                         QString* error);
    static bool WritePdf(const QList<COverlayPainter::Group>& groups, const QString& path,
                         QString* error);
};
