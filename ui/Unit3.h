#pragma once

#include <QDialog>

#include <memory>
#include <string>

namespace Ui {
class TfrmStart;
}

// The folder chooser: drive list, folder list and the shortened path label.
class TfrmStart final : public QDialog {
    Q_OBJECT

public:
    explicit TfrmStart(QWidget *parent = nullptr);
    ~TfrmStart() override;

    // The folder the chooser has open (raw bytes, full path).
    const std::string &ChooserDirectory() const { return chooserDirectory_; }

private:
    std::unique_ptr<Ui::TfrmStart> ui;
    std::string chooserDirectory_;
};

extern TfrmStart *frmStart;
