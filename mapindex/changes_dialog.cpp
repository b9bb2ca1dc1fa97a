#include "changes_dialog.h"

#include "change_details.h"
#include "changes.h"
#include "row_export.h"
#include "row_text.h"
#include "view_settings.h"

#include "ErrorReport.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

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

    auto *list = list_ = new QTreeWidget(this);
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

    details_ = new QLabel(this);
    details_->setObjectName(QStringLiteral("changeDetails"));
    details_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(details_);

    done_ = new QLabel(this);
    done_->setObjectName(QStringLiteral("exportDone"));
    layout->addWidget(done_);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    // The default button: Enter opens the current map, wherever the focus is.
    open_ = buttons->addButton(QStringLiteral("&Open"), QDialogButtonBox::ActionRole);
    open_->setObjectName(QStringLiteral("openChanged"));
    open_->setDefault(true);
    connect(open_, &QPushButton::clicked, this, [this] {
        if (const auto path = currentPath(); path && actions_.open)
            actions_.open(*path);
    });
    showInTable_ = buttons->addButton(QStringLiteral("Show in &Table"), QDialogButtonBox::ActionRole);
    showInTable_->setObjectName(QStringLiteral("showInTable"));
    connect(showInTable_, &QPushButton::clicked, this, [this] {
        if (const auto path = currentPath(); path && actions_.showInTable) {
            accept();
            actions_.showInTable(*path);
        }
    });
    connect(list, &QTreeWidget::doubleClicked, open_, &QPushButton::click);
    connect(list, &QTreeWidget::currentItemChanged, this, &ChangesDialog::showCurrent);
    QPushButton *exportButton = buttons->addButton(QStringLiteral("&Export…"), QDialogButtonBox::ActionRole);
    exportButton->setObjectName(QStringLiteral("exportChanges"));
    exportButton->setEnabled(!changes_.empty());
    connect(exportButton, &QPushButton::clicked, this, &ChangesDialog::exportChanges);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    if (list->topLevelItemCount() > 0)
        list->setCurrentItem(list->topLevelItem(0));
    showCurrent();
    resize(std::max(520, list->header()->length() + 40), 420);
}

void ChangesDialog::setRows(SharedRows rows, ChangeActions actions)
{
    rows_ = std::move(rows);
    actions_ = std::move(actions);
    showCurrent();
}

const IndexRow *ChangesDialog::rowOf(const ChangeNote &note) const
{
    if (!rows_ || note.kind == Change::Removed)
        return nullptr;
    const auto found =
        std::find_if(rows_->begin(), rows_->end(), [&](const IndexRow &row) { return RowPath(row) == note.fileName; });
    return found == rows_->end() ? nullptr : &*found;
}

std::optional<std::string> ChangesDialog::currentPath() const
{
    const int index = list_->currentIndex().row();
    if (index < 0 || static_cast<std::size_t>(index) >= changes_.size())
        return std::nullopt;
    const ChangeNote &note = changes_[static_cast<std::size_t>(index)];
    return rowOf(note) ? std::optional(note.fileName) : std::nullopt;
}

void ChangesDialog::showCurrent()
{
    const int index = list_->currentIndex().row();
    const bool any = index >= 0 && static_cast<std::size_t>(index) < changes_.size();
    const ChangeNote *note = any ? &changes_[static_cast<std::size_t>(index)] : nullptr;
    details_->setText(note ? ChangeDetailsText(*note, rowOf(*note)) : QString());
    details_->setVisible(note != nullptr);
    const bool there = currentPath().has_value();
    open_->setEnabled(there);
    showInTable_->setEnabled(there);
}

void ChangesDialog::exportChanges()
{
    ui::Guarded([this] {
        const std::optional<QString> path = picker_(this, suggested_);
        if (!path)
            return;
        WriteExport(QFile::encodeName(*path).toStdString(), ChangesCsv(changes_));
        NoteExport(*path);
        done_->setText(QStringLiteral("%1 %2 written to %3")
                           .arg(QLocale().toString(static_cast<qulonglong>(changes_.size())),
                                changes_.size() == 1 ? QStringLiteral("change") : QStringLiteral("changes"),
                                QDir::toNativeSeparators(*path)));
    });
}

} // namespace mapindex
