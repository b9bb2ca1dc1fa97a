#include "export_dialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLocale>
#include <QMessageBox>

namespace mapindex {
namespace {

bool confirmReplace(QWidget *parent, const QString &name)
{
    QMessageBox box(
        QMessageBox::Warning, QStringLiteral("Export"),
        QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(QDir::toNativeSeparators(name)),
        QMessageBox::Yes | QMessageBox::No, parent);
    box.setObjectName(QStringLiteral("replaceQuestion"));
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString tsvFilter()
{
    return QStringLiteral("TSV files (*.tsv)");
}

void prepare(QFileDialog &dialog, const QString &suggested, bool withTsv)
{
    dialog.setObjectName(QStringLiteral("exportDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QString csv = QStringLiteral("CSV files (*.csv)");
    dialog.setNameFilters(withTsv ? QStringList{csv, tsvFilter()} : QStringList{csv});
    dialog.selectFile(suggested);
}

// Qt's dialog and the desktop's alike ask about the name as typed, so the
// question is asked here instead, once the suffix is added.
std::optional<QString> ask(QFileDialog &dialog, QWidget *parent)
{
    const QString tsv = tsvFilter();
    while (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        QString name = dialog.selectedFiles().constFirst();
        if (!QFileInfo(name).fileName().contains(QChar(u'.')))
            name += dialog.selectedNameFilter() == tsv ? QStringLiteral(".tsv") : QStringLiteral(".csv");
        if (!QFileInfo::exists(name) || confirmReplace(parent, name))
            return name;
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> AskExportFile(QWidget *parent, const QString &suggested, bool withTsv)
{
    QFileDialog dialog(parent, QStringLiteral("Export"));
    prepare(dialog, suggested, withTsv);
    return ask(dialog, parent);
}

std::optional<ExportChoice> AskTableExport(QWidget *parent, const QString &suggested, int selected)
{
    QFileDialog dialog(parent, QStringLiteral("Export"));
    // The desktop's own dialog takes no widgets of ours; Qt's takes the option.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    prepare(dialog, suggested, true);
    auto *selectedOnly =
        new QCheckBox(QStringLiteral("Only the &selected rows (%1)").arg(QLocale().toString(selected)), &dialog);
    selectedOnly->setObjectName(QStringLiteral("selectedOnly"));
    selectedOnly->setEnabled(selected > 0);
    if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout()))
        grid->addWidget(selectedOnly, grid->rowCount(), 0, 1, grid->columnCount());
    const std::optional<QString> path = ask(dialog, parent);
    if (!path)
        return std::nullopt;
    return ExportChoice{*path, selectedOnly->isEnabled() && selectedOnly->isChecked()};
}

} // namespace mapindex
