#include "changes_dialog.h"

#include "changes.h"
#include "row_text.h"
#include "view_settings.h"

#include "ErrorReport.h"
#include "catalogue/list_export.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace mapindex {
namespace {

QString summary(const std::vector<ChangeNote> &changes, bool compared)
{
    if (!compared)
        return QStringLiteral("This is the first reading of this folder: there is nothing to compare with.");
    if (changes.empty())
        return QStringLiteral("No map was added, changed or removed since the maps were last marked as seen.");
    return QStringLiteral("Changes since the maps were last marked as seen: %1")
        .arg(QLocale().toString(static_cast<qulonglong>(changes.size())));
}

} // namespace

ChangesDialog::ChangesDialog(std::vector<ChangeNote> changes, bool compared, ExportPicker picker, QString suggested,
                             QWidget *parent)
    : QDialog(parent), changes_(std::move(changes)), picker_(std::move(picker)), suggested_(std::move(suggested))
{
    setObjectName(QStringLiteral("changesDialog"));
    setWindowTitle(QStringLiteral("Changes"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(summary(changes_, compared), this));

    auto *list = new QTreeWidget(this);
    list->setObjectName(QStringLiteral("changesList"));
    list->setRootIsDecorated(false);
    list->setHeaderLabels({QStringLiteral("Change"), QStringLiteral("Map"), QStringLiteral("File")});
    for (const ChangeNote &note : changes_)
        list->addTopLevelItem(new QTreeWidgetItem(
            {QString::fromLatin1(ChangeWord(note.kind)), EntryText(note.entry), EntryText(note.fileName)}));
    // Each column as wide as its longest text; the last one takes what is left.
    list->header()->setStretchLastSection(true);
    for (int column = 0; column < list->columnCount(); ++column)
        list->resizeColumnToContents(column);
    layout->addWidget(list);

    done_ = new QLabel(this);
    done_->setObjectName(QStringLiteral("exportDone"));
    layout->addWidget(done_);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton *exportButton = buttons->addButton(QStringLiteral("&Export…"), QDialogButtonBox::ActionRole);
    exportButton->setObjectName(QStringLiteral("exportChanges"));
    exportButton->setEnabled(!changes_.empty());
    connect(exportButton, &QPushButton::clicked, this, &ChangesDialog::exportChanges);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(std::max(520, list->header()->length() + 40), 360);
}

void ChangesDialog::exportChanges()
{
    ui::Guarded([this] {
        const std::optional<QString> path = picker_(this, suggested_);
        if (!path)
            return;
        catalogue::WriteTextFile(QFile::encodeName(*path).toStdString(), ChangesCsv(changes_));
        NoteExport(*path);
        done_->setText(QStringLiteral("%1 %2 written to %3")
                           .arg(QLocale().toString(static_cast<qulonglong>(changes_.size())),
                                changes_.size() == 1 ? QStringLiteral("change") : QStringLiteral("changes"),
                                QDir::toNativeSeparators(*path)));
    });
}

} // namespace mapindex
