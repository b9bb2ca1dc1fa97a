#include "export_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
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

} // namespace

// Qt's dialog and the desktop's alike ask about the name as typed, so the
// question is asked here instead, once the suffix is added.
std::optional<QString> AskExportFile(QWidget *parent, const QString &suggested, bool withTsv)
{
    const QString csv = QStringLiteral("CSV files (*.csv)");
    const QString tsv = QStringLiteral("TSV files (*.tsv)");
    QFileDialog dialog(parent, QStringLiteral("Export"));
    dialog.setObjectName(QStringLiteral("exportDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(withTsv ? QStringList{csv, tsv} : QStringList{csv});
    dialog.selectFile(suggested);
    while (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        QString name = dialog.selectedFiles().constFirst();
        if (!QFileInfo(name).fileName().contains(QChar(u'.')))
            name += dialog.selectedNameFilter() == tsv ? QStringLiteral(".tsv") : QStringLiteral(".csv");
        if (!QFileInfo::exists(name) || confirmReplace(parent, name))
            return name;
    }
    return std::nullopt;
}

} // namespace mapindex
