#include "cli/CliOptionRules.h"

#include "cli/CCliArguments.h"
#include "core/quality/CCohortGrouping.h"

#include <QRegularExpression>

QString CliOptionRules::PictureOutputProblem(const QString& output, bool& pdf)
{
    if (output.isEmpty())
        return QStringLiteral("no output file given (-o OUT.png or -o OUT.pdf)");
    pdf = output.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive);
    if (!pdf && !output.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        return QStringLiteral("the output file must end in .png or .pdf");
    return QString();
}

QString CliOptionRules::GroupByProblem(const CCliArguments& arguments, QRegularExpression& pattern)
{
    const QString groupBy = QStringLiteral("group-by");
    if (!arguments.IsSet(groupBy))
        return QString();
    pattern = QRegularExpression(arguments.Value(groupBy));
    const QString error = CCohortGrouping::PatternError(pattern);
    return error.isEmpty() ? QString() : QStringLiteral("--group-by: ") + error;
}
