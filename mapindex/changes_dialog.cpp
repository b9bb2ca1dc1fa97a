#include "changes_dialog.h"

#include "row_text.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace mapindex {
namespace {

QString kindText(Change kind)
{
    switch (kind) {
    case Change::New:
        return QStringLiteral("New");
    case Change::Changed:
        return QStringLiteral("Changed");
    case Change::Removed:
        return QStringLiteral("Removed");
    default:
        return {};
    }
}

QString summary(const std::vector<ChangeNote> &changes, bool compared)
{
    if (!compared)
        return QStringLiteral("This is the first reading of this folder: there is nothing to compare with.");
    if (changes.empty())
        return QStringLiteral("No map was added, changed or removed since the last reading.");
    return QStringLiteral("Changes since the last reading: %1").arg(changes.size());
}

} // namespace

ChangesDialog::ChangesDialog(const std::vector<ChangeNote> &changes, bool compared, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("changesDialog"));
    setWindowTitle(QStringLiteral("Changes"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(summary(changes, compared), this));

    auto *list = new QTreeWidget(this);
    list->setObjectName(QStringLiteral("changesList"));
    list->setRootIsDecorated(false);
    list->setHeaderLabels({QStringLiteral("Change"), QStringLiteral("Map"), QStringLiteral("File")});
    for (const ChangeNote &note : changes)
        list->addTopLevelItem(
            new QTreeWidgetItem({kindText(note.kind), EntryText(note.entry), EntryText(note.fileName)}));
    layout->addWidget(list);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(520, 360);
}

} // namespace mapindex
