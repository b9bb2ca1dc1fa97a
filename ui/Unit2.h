#pragma once

#include "MessageDialog.h"

namespace Ui {
class TfrmAbout;
}

// Describes the program.
class TfrmAbout final : public ui::MessageDialog<Ui::TfrmAbout> {
    Q_OBJECT

public:
    explicit TfrmAbout(QWidget *parent = nullptr);
    ~TfrmAbout() override;
};

extern TfrmAbout *frmAbout;
