#pragma once

#include "MessageDialog.h"

namespace Ui {
class TfrmNotFound;
}

// "Maps not found": shown when a search matched nothing.
class TfrmNotFound final : public ui::MessageDialog<Ui::TfrmNotFound> {
    Q_OBJECT

public:
    explicit TfrmNotFound(QWidget *parent = nullptr);
    ~TfrmNotFound() override;
};

extern TfrmNotFound *frmNotFound;
