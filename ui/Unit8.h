#pragma once

#include "DialogFrame.h"

#include <memory>

namespace Ui {
class TfrmError;
}

// "Configuration error": the chosen maps directory holds no maps.
class TfrmError final : public ui::ModalDialog {
    Q_OBJECT

public:
    explicit TfrmError(QWidget *parent = nullptr);
    ~TfrmError() override;

private:
    std::unique_ptr<Ui::TfrmError> widgets_;
};

extern TfrmError *frmError;
