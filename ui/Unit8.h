#pragma once

#include "MessageDialog.h"

namespace Ui {
class TfrmError;
}

// "Configuration error": the chosen maps directory holds no maps.
class TfrmError final : public ui::MessageDialog<Ui::TfrmError> {
    Q_OBJECT

public:
    explicit TfrmError(QWidget *parent = nullptr);
    ~TfrmError() override;
};

extern TfrmError *frmError;
