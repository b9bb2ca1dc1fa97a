#pragma once

#include "MessageDialog.h"

namespace Ui {
class TfrmQuit;
}

// Asks before the program ends: "&Close" gives 1, Cancel 2.
class TfrmQuit final : public ui::MessageDialog<Ui::TfrmQuit> {
    Q_OBJECT

public:
    explicit TfrmQuit(QWidget *parent = nullptr);
    ~TfrmQuit() override;
};

extern TfrmQuit *frmQuit;
