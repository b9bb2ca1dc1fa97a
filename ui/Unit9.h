#pragma once

#include "DialogFrame.h"

#include <memory>

namespace Ui {
class TfrmConfirmClear;
}

// Asks before the map list is emptied: "Clear" gives 1, Cancel 2.
class TfrmConfirmClear final : public ui::ModalDialog {
    Q_OBJECT

public:
    explicit TfrmConfirmClear(QWidget *parent = nullptr);
    ~TfrmConfirmClear() override;

private:
    std::unique_ptr<Ui::TfrmConfirmClear> widgets_;
};

extern TfrmConfirmClear *frmConfirmClear;
