#pragma once

#include "DialogFrame.h"
#include "MountedDrives.h"

#include <memory>
#include <string>
#include <vector>

class QListWidgetItem;

namespace Ui {
class TfrmStart;
}

// The folder chooser: drive list, folder list and the shortened path label.
// Centred at each opening, after the drive list has been refreshed.
class TfrmStart final : public ui::ModalDialog {
    Q_OBJECT

public:
    explicit TfrmStart(QWidget *parent = nullptr);
    ~TfrmStart() override;

    // The folder the chooser has open (raw bytes, full path).
    const std::string &ChooserDirectory() const { return chooserDirectory_; }

    // Closing, with either result, puts the process's current directory back
    // where it was when the chooser opened.
    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void DriveComboBox1Change(int index);
    void DirectoryListBox1DblClick(QListWidgetItem *item);

    // Enters target (checked) and shows what it holds.
    void OpenFolder(const std::string &target);
    void FillDriveList();
    void SelectChosenDrive();
    void FillFolderRows();
    void UpdatePathLabel();
    void RestoreWorkingDirectory();

    std::unique_ptr<Ui::TfrmStart> widgets_;
    std::string chooserDirectory_;
    std::vector<ui::MountedDrive> drives_;
    int chosenDrive_ = -1;
    std::string directoryAtOpen_;
    bool movedDirectory_ = false;
};

extern TfrmStart *frmStart;
