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
QString ParseArguments(const QStringList& args, RenderOptions& options)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("-o") || arg == QLatin1String("--size")) {
            if (i + 1 == args.size())
                return QStringLiteral("%1 needs a value").arg(arg);
            const QString& value = args.at(++i);
            if (arg == QLatin1String("-o"))
                options.output = value;
            else if (!ParseSize(value, options.size))
                return QStringLiteral("--size wants WIDTHxHEIGHT in pixels, 1 to %1 each, not '%2'")
                    .arg(kMaxSidePx)
                    .arg(value);
        } else if (arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            return QStringLiteral("unknown option '%1'").arg(arg);
        } else if (options.input.isEmpty()) {
            options.input = arg;
        } else {
            return QStringLiteral("only one experiment file can be drawn");
        }
    }
    if (options.input.isEmpty())
        return QStringLiteral("no experiment file given");
    return CliOptionRules::PictureOutputProblem(options.output, options.bPdf);
}

}  // namespace

// Draws what File Open would show. After a load message the picture is still
// written (it is what the window would show) but the exit code is 1.
int CliCommands::RunRender(const QStringList& args)
{
    QTextStream err(stderr);
    RenderOptions options;
    const QString problem = ParseArguments(args, options);
    if (!problem.isEmpty()) {
        err << "zentak-cli render: " << problem << "\n"
            << "usage: zentak-cli " << kRenderSynopsis << "\n"
            << "  draws the graph pane of the file: a PNG of the pane's size (default "
            << CGraphFileWriter::kDefaultClientSize.width() << 'x'
            << CGraphFileWriter::kDefaultClientSize.height() << ")\n"
            << "  or an A4 page as printed (--size then sets the pane the text is sized for)\n";
        return kExitBadArguments;
    }

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
