#pragma once

#include "DialogFrame.h"

#include <memory>

namespace Ui {
class TfrmAbout;
}

// Describes the program.
class TfrmAbout final : public ui::ModalDialog {
    Q_OBJECT

public:
    explicit TfrmAbout(QWidget *parent = nullptr);
    ~TfrmAbout() override;

private:
    std::unique_ptr<Ui::TfrmAbout> widgets_;
};

extern TfrmAbout *frmAbout;
