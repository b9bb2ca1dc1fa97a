#pragma once

#include "DialogFrame.h"

#include <memory>
#include <string>

class QPrinter;

namespace catalogue {
class MapList;
}

namespace Ui {
class TfrmPrint;
}

// The print progress dialog: each showing copies the map list into the
// hidden pane, prints it and then offers OK. Nothing closes it while it prints.
class TfrmPrint final : public ui::ModalDialog {
    Q_OBJECT

public:
    explicit TfrmPrint(QWidget *parent = nullptr);
    ~TfrmPrint() override;

    // What the next showing prints. Both must outlive the showing; the list
    // is only read.
    void SetPrintJob(const catalogue::MapList &list, QPrinter &printer);

public slots:
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void FormActivate();
    void CopyAndPrint();
    void AppendLine(const std::string &entry, bool newParagraph);

    std::unique_ptr<Ui::TfrmPrint> widgets_;
    const catalogue::MapList *list_ = nullptr;
    QPrinter *printer_ = nullptr;
    bool activationPending_ = false;
    bool working_ = false;
};

extern TfrmPrint *frmPrint;
