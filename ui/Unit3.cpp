#include "Unit3.h"
#include "ui_Unit3.h"

#include "ErrorReport.h"
#include "FolderListDelegate.h"
#include "FolderRows.h"
#include "PathFitting.h"

#include "runtime/io_error.h"
#include "runtime/working_directory.h"

#include <QFile>
#include <QFontMetrics>
#include <QListWidgetItem>
#include <QShowEvent>

TfrmStart *frmStart = nullptr;

namespace {

QString displayName(const std::string &bytes)
{
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

QIcon drivePicture(ui::DriveKind kind)
{
    switch (kind) {
    case ui::DriveKind::Removable:
        return QIcon(QStringLiteral(":/pictures/drive_removable.png"));
    case ui::DriveKind::CdRom:
        return QIcon(QStringLiteral(":/pictures/drive_cdrom.png"));
    case ui::DriveKind::Ram:
        return QIcon(QStringLiteral(":/pictures/drive_ram.png"));
    case ui::DriveKind::Network:
        return QIcon(QStringLiteral(":/pictures/drive_network.png"));
    case ui::DriveKind::Fixed:
        break;
    }
    return QIcon(QStringLiteral(":/pictures/drive_fixed.png"));
}

} // namespace

TfrmStart::TfrmStart(QWidget *parent)
    : ModalDialog(parent, ui::EscapeKey::Cancels, Placement::KeepPlace), widgets_(std::make_unique<Ui::TfrmStart>()),
      chooserDirectory_(runtime::GetWorkingDirectory())
{
    widgets_->setupUi(this);
    ui::UseFixedDialogFrame(*this);
    widgets_->DirectoryListBox1->setItemDelegate(new FolderListDelegate(widgets_->DirectoryListBox1));

    connect(widgets_->DriveComboBox1, &QComboBox::activated, this, &TfrmStart::DriveComboBox1Change);
    connect(widgets_->DirectoryListBox1, &QListWidget::itemDoubleClicked, this, &TfrmStart::DirectoryListBox1DblClick);
    connect(widgets_->BitBtn1, &QPushButton::clicked, this, [this] { done(ui::ResultOk); });
    connect(widgets_->BitBtn2, &QPushButton::clicked, this, [this] { done(ui::ResultCancel); });

    FillDriveList();
    FillFolderRows();
    UpdatePathLabel();
    widgets_->DriveComboBox1->setFocus();
}

TfrmStart::~TfrmStart() = default;

void TfrmStart::showEvent(QShowEvent *event)
{
    ModalDialog::showEvent(event);
    if (event->spontaneous())
        return;
    ui::Guarded([this] {
        directoryAtOpen_ = runtime::GetWorkingDirectory();
        movedDirectory_ = false;
        // Media come and go between showings.
        FillDriveList();
        ui::CentreOnScreen(*this);
    });
}

void TfrmStart::done(int result)
{
    ui::Guarded([this] { RestoreWorkingDirectory(); });
    ModalDialog::done(result);
}

void TfrmStart::DriveComboBox1Change(int index)
{
    ui::Guarded([this, index] {
        if (index == chosenDrive_ || index < 0 || index >= static_cast<int>(drives_.size()))
            return;
        chosenDrive_ = index;
        OpenFolder(drives_[index].mountPath);
    });
}

void TfrmStart::DirectoryListBox1DblClick(QListWidgetItem *item)
{
    ui::Guarded([this, item] {
        if (item)
            OpenFolder(item->data(FolderListDelegate::PathRole).toByteArray().toStdString());
    });
}

void TfrmStart::OpenFolder(const std::string &target)
{
    if (target == chooserDirectory_)
        return;
    movedDirectory_ = true;
    runtime::SetWorkingDirectory(target);
    runtime::CheckIo();
    chooserDirectory_ = runtime::GetWorkingDirectory();
    FillFolderRows();
    UpdatePathLabel();
    SelectChosenDrive();
}

void TfrmStart::FillDriveList()
{
    drives_ = ui::MountedDrives();
    QComboBox &list = *widgets_->DriveComboBox1;
    list.clear();
    for (const ui::MountedDrive &drive : drives_)
        list.addItem(drivePicture(drive.kind), displayName(drive.caption));
    // The closed list is narrow; let the open one show whole captions.
    list.view()->setMinimumWidth(list.view()->sizeHintForColumn(0) + 8);
    SelectChosenDrive();
}

void TfrmStart::SelectChosenDrive()
{
    chosenDrive_ = ui::DriveHoldingPath(drives_, chooserDirectory_);
    widgets_->DriveComboBox1->setCurrentIndex(chosenDrive_);
}

void TfrmStart::FillFolderRows()
{
    QListWidget &list = *widgets_->DirectoryListBox1;
    list.clear();
    const std::vector<ui::FolderRow> rows = ui::BuildFolderRows(chooserDirectory_);
    for (const ui::FolderRow &row : rows) {
        auto *item = new QListWidgetItem(displayName(row.text), &list); // owned by the list
        item->setData(FolderListDelegate::KindRole, static_cast<int>(row.kind));
        item->setData(FolderListDelegate::IndentRole, row.indent);
        item->setData(FolderListDelegate::PathRole, QByteArray::fromStdString(row.path));
    }
    list.setCurrentRow(ui::OpenFolderRow(rows));
}

void TfrmStart::UpdatePathLabel()
{
    const QFontMetrics metrics(widgets_->Label2->font());
    const auto measure = [&metrics](const std::string &text) { return metrics.horizontalAdvance(displayName(text)); };
    widgets_->Label2->setText(displayName(ui::FitPathToWidth(chooserDirectory_, widgets_->Label2->width(), measure)));
}

void TfrmStart::RestoreWorkingDirectory()
{
    if (!movedDirectory_ || directoryAtOpen_.empty())
        return;
    movedDirectory_ = false;
    runtime::SetWorkingDirectory(directoryAtOpen_);
    runtime::CheckIo();
}
