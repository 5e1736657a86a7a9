#include "cli/CCliArguments.h"
#include "cli/CCliRecord.h"
#include "cli/CliCommands.h"
#include "cli/CliOptionRules.h"
#include "core/quality/CQualitySettings.h"
#include "render/CGraphFileWriter.h"

#include <QRegularExpression>
#include <QTextStream>

namespace {

constexpr int kMaxSidePx = CliCommands::kRenderMaxSidePx;

struct RenderOptions {
    QString input;
    QString output;
    QSize size = CGraphFileWriter::kDefaultClientSize;
    bool bPdf = false;
};

bool ParseSize(const QString& text, QSize& size)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return false;
    const int width = match.captured(1).toInt();
    const int height = match.captured(2).toInt();
    if (width < 1 || height < 1 || width > kMaxSidePx || height > kMaxSidePx)
        return false;
    size = QSize(width, height);
    return true;
}

// Returns an empty text when the arguments are usable, else what is wrong.
QString ReadOptions(const CCliArguments& arguments, RenderOptions& options)
{
    options.input = arguments.Operands().constFirst();
    options.output = arguments.Value(QStringLiteral("output"));
    const QString size = arguments.Value(QStringLiteral("size"));
    if (arguments.IsSet(QStringLiteral("size")) && !ParseSize(size, options.size))
        return QStringLiteral("--size wants WIDTHxHEIGHT in pixels, 1 to %1 each, not '%2'")
            .arg(kMaxSidePx)
            .arg(size);
    return CliOptionRules::PictureOutputProblem(options.output, options.bPdf);
}

}  // namespace

// Draws what File Open would show. After a load message the picture is still
// written (it is what the window would show) but the exit code is 1.
int CliCommands::RunRender(const CCliArguments& arguments)
{
    QTextStream err(stderr);
    RenderOptions options;
    const QString problem = ReadOptions(arguments, options);
    if (!problem.isEmpty())
        return arguments.BadArguments(problem);

    CCliRecord record;
    if (!record.Load(options.input))
        return kExitFailure;
    QString error;
    const CImpactRecord& shown = record.Doc().Record();
    const bool written =
        options.bPdf ? CGraphFileWriter::WritePdf(shown, options.output, options.size.height(),
                                                  &error, CQualitySettings::Load(), options.input)
                     : CGraphFileWriter::WritePng(shown, options.output, options.size, &error);
    if (!written) {
        err << error << '\n';
        return kExitFailure;
    }
    return record.LoadedWhole() ? kExitSuccess : kExitFailure;
}
