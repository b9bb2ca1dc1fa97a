#pragma once

#include "DialogFrame.h"

#include <memory>

namespace Ui {
class TfrmDoConfig;
}

// "Program not configured": shown at start when there is no configuration file.
class TfrmDoConfig final : public ui::ModalDialog {
    Q_OBJECT

public:
    explicit TfrmDoConfig(QWidget *parent = nullptr);
    ~TfrmDoConfig() override;

private:
    std::unique_ptr<Ui::TfrmDoConfig> widgets_;
};

extern TfrmDoConfig *frmDoConfig;
