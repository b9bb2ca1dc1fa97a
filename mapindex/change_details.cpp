#include "change_details.h"

#include "catalogue/index_format.h"

#include <QLocale>
#include <QStringList>

namespace mapindex {
namespace {

const char *const Details[] = {"Map Name", "Map Type", "Product", "Page Number"};

QString valueText(const std::optional<std::string> &value)
{
    const std::optional<std::string> text = catalogue::ValueText(value);
    return text && !text->empty() ? QString::fromStdString(*text) : QStringLiteral("(none)");
}

QString sizeText(std::uint64_t size)
{
    return QStringLiteral("%1 bytes").arg(QLocale().toString(static_cast<qulonglong>(size)));
}

QString line(const char *label, const QString &now, const QString *before)
{
    if (before && *before != now)
        return QStringLiteral("%1: %2 \u2192 %3").arg(QLatin1String(label), *before, now);
    return QStringLiteral("%1: %2").arg(QLatin1String(label), now);
}

} // namespace

QString ChangeDetailsText(const ChangeNote &note, const IndexRow *row)
{
    if (note.kind == Change::Removed || !row)
        return QStringLiteral("No longer in the folder.");
    QStringList lines;
    const SeenState *seen = row->seen.state.get();
    if (note.kind == Change::Changed && !seen)
        lines << QStringLiteral("What it held when last seen is not known.");
    for (std::size_t k = 0; k < row->values.size(); ++k) {
        const QString before = seen ? valueText(seen->values[k]) : QString();
        lines << line(Details[k], valueText(row->values[k]), seen ? &before : nullptr);
    }
    const QString before = seen ? sizeText(seen->size) : QString();
    lines << line("Size", sizeText(row->size), seen ? &before : nullptr);
    if (row->error)
        lines << QStringLiteral("It cannot be read now: %1").arg(QString::fromStdString(*row->error));
    return lines.join(u'\n');
}

} // namespace mapindex
