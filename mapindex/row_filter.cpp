#include "row_filter.h"

#include <algorithm>

namespace mapindex {

QString FoldForFilter(const QString &text)
{
    // Most map texts are ASCII, which has nothing to decompose.
    if (std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; }))
        return text.toLower();
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString folded;
    folded.reserve(decomposed.size());
    for (const QChar c : decomposed) {
        const QChar::Category category = c.category();
        if (category != QChar::Mark_NonSpacing && category != QChar::Mark_SpacingCombining
            && category != QChar::Mark_Enclosing)
            folded.append(c);
    }
    return folded.toCaseFolded();
}

QStringList FilterWords(const QString &typed)
{
    return FoldForFilter(typed).simplified().split(QChar(u' '), Qt::SkipEmptyParts);
}

bool RowMatches(const QString &foldedRow, const QStringList &words)
{
    for (const QString &word : words) {
        if (!foldedRow.contains(word))
            return false;
    }
    return true;
}

} // namespace mapindex
