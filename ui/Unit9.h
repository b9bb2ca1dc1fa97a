#pragma once

#include "MessageDialog.h"

namespace Ui {
class TfrmConfirmClear;
}

// Asks before the map list is emptied: "Clear" gives 1, Cancel 2.
class TfrmConfirmClear final : public ui::MessageDialog<Ui::TfrmConfirmClear> {
    Q_OBJECT

public:
    explicit TfrmConfirmClear(QWidget *parent = nullptr);
    ~TfrmConfirmClear() override;
};

extern TfrmConfirmClear *frmConfirmClear;
