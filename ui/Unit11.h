#pragma once

#include "DialogFrame.h"

#include <memory>

namespace Ui {
class TfrmNotFound;
}

// "Maps not found": shown when a search matched nothing.
class TfrmNotFound final : public ui::ModalDialog {
    Q_OBJECT

public:
    explicit TfrmNotFound(QWidget *parent = nullptr);
    ~TfrmNotFound() override;

private:
    std::unique_ptr<Ui::TfrmNotFound> widgets_;
};

extern TfrmNotFound *frmNotFound;
