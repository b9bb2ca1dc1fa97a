#pragma once

#include "DialogFrame.h"

#include <memory>

namespace Ui {
class TfrmQuit;
}

// Asks before the program ends: "&Close" gives 1, Cancel 2.
class TfrmQuit final : public ui::ModalDialog {
    Q_OBJECT

public:
    explicit TfrmQuit(QWidget *parent = nullptr);
    ~TfrmQuit() override;

private:
    std::unique_ptr<Ui::TfrmQuit> widgets_;
};

extern TfrmQuit *frmQuit;
