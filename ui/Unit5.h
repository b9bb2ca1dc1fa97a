#pragma once

#include "DialogFrame.h"

#include <memory>
#include <string>

class QLineEdit;

namespace Ui {
class TfrmConfig;
}

// The configuration dialog. Its two boxes are the program's working copy of
// the configuration: the loaded file fills them and other commands read the
// maps directory from Edit1. Closing only hides it, so what was typed stays.
class TfrmConfig final : public ui::ModalDialog {
    Q_OBJECT

public:
    explicit TfrmConfig(QWidget *parent = nullptr);
    ~TfrmConfig() override;

    QLineEdit &Edit1() const;
    QLineEdit &Edit2() const;
    std::string MapsText() const;
    std::string ViewerText() const;

    void FormCreate();
    void Button1Click();
    void Button2Click();
    void BitBtn3Click();

private:
    std::unique_ptr<Ui::TfrmConfig> widgets_;
    // OpenDialog1's file name: offered again at the next browse.
    std::string openDialogFileName_;
};

extern TfrmConfig *frmConfig;
