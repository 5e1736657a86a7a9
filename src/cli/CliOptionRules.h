#pragma once

#include <QString>

class CCliArguments;
class QRegularExpression;

// Checks of options that more than one command takes; each returns what is
// wrong, empty when nothing is.
namespace CliOptionRules {

// -o OUT of a picture: given, and ending in .png or .pdf (pdf tells which).
QString PictureOutputProblem(const QString& output, bool& pdf);
// --group-by REGEX, when given: a pattern with a capture group to group by.
QString GroupByProblem(const CCliArguments& arguments, QRegularExpression& pattern);

}  // namespace CliOptionRules
