#pragma once

#include "MessageDialog.h"

namespace Ui {
class TfrmDoConfig;
}

// "Program not configured": shown at start when there is no configuration file.
class TfrmDoConfig final : public ui::MessageDialog<Ui::TfrmDoConfig> {
    Q_OBJECT

public:
    explicit TfrmDoConfig(QWidget *parent = nullptr);
    ~TfrmDoConfig() override;
};

extern TfrmDoConfig *frmDoConfig;
