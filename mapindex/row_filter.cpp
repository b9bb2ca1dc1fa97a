#include "row_filter.h"

#include <QStringView>

#include <algorithm>

namespace mapindex {
namespace {

// The qualifiers, folded as the typed text is.
constexpr std::array<std::pair<char16_t const *, Column>, ColumnCount> Qualifiers = {{
    {u"map", MapColumn},
    {u"name", MapNameColumn},
    {u"type", MapTypeColumn},
    {u"product", ProductColumn},
    {u"page", PageNumberColumn},
    {u"folder", FolderColumn},
    {u"file", FileColumn},
}};

int qualifiedColumn(QStringView name)
{
    for (const auto &[qualifier, column] : Qualifiers)
        if (name == QStringView(qualifier))
            return column;
    return -1;
}

// Reads one term from typed at position, which is past any white space.
FilterTerm readTerm(const QString &typed, qsizetype &position)
{
    const qsizetype end = typed.size();
    qsizetype i = position;
    FilterTerm term;
    // A lone "-" is a word of its own.
    if (typed[i] == u'-' && i + 1 < end && !typed[i + 1].isSpace()) {
        term.exclude = true;
        ++i;
    }
    qsizetype colon = i;
    while (colon < end && typed[colon].isLetter())
        ++colon;
    if (colon < end && typed[colon] == u':') {
        term.column = qualifiedColumn(QStringView(typed).sliced(i, colon - i));
        if (term.column >= 0)
            i = colon + 1;
    }
    if (i < end && typed[i] == u'"') {
        qsizetype close = typed.indexOf(u'"', i + 1);
        if (close < 0)
            close = end;
        term.text = typed.sliced(i + 1, close - i - 1);
        position = std::min(close + 1, end);
        return term;
    }
    qsizetype wordEnd = i;
    while (wordEnd < end && !typed[wordEnd].isSpace())
        ++wordEnd;
    term.text = typed.sliced(i, wordEnd - i);
    position = wordEnd;
    return term;
}

QStringView columnText(const FoldedRow &row, int column)
{
    const int start = column == 0 ? 0 : row.ends[static_cast<std::size_t>(column) - 1] + 1;
    return QStringView(row.text).sliced(start, row.ends[static_cast<std::size_t>(column)] - start);
}

} // namespace

bool IsAscii(QStringView text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
}

QString FoldForFilter(const QString &text)
{
    // Most map texts are ASCII, which has nothing to decompose.
    if (IsAscii(text))
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

RowFilter ParseFilter(const QString &typed)
{
    const QString folded = FoldForFilter(typed);
    RowFilter filter;
    qsizetype position = 0;
    while (true) {
        while (position < folded.size() && folded[position].isSpace())
            ++position;
        if (position == folded.size())
            break;
        FilterTerm term = readTerm(folded, position);
        // "product:" or "" alone, as while it is being typed, asks for nothing yet.
        if (!term.text.isEmpty())
            filter.push_back(std::move(term));
    }
    return filter;
}

bool RowMatches(const FoldedRow &row, const RowFilter &filter)
{
    for (const FilterTerm &term : filter) {
        const bool found =
            term.column < 0 ? row.text.contains(term.text) : columnText(row, term.column).contains(term.text);
        if (found == term.exclude)
            return false;
    }
    return true;
}

} // namespace mapindex
