#pragma once

#include <QString>
#include <QStringList>

namespace mapindex {

// Text as the filter compares it: decomposed, combining marks dropped, case folded.
QString FoldForFilter(const QString &text);

// The folded words of what the user typed.
QStringList FilterWords(const QString &typed);

// True when every word occurs in the folded row text.
bool RowMatches(const QString &foldedRow, const QStringList &words);

} // namespace mapindex
