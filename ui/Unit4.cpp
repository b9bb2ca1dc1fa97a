#include "Unit4.h"
#include "ui_Unit4.h"

TfrmQuit *frmQuit = nullptr;

TfrmQuit::TfrmQuit(QWidget *parent) : ModalDialog(parent, true), ui(std::make_unique<Ui::TfrmQuit>())
{
    ui->setupUi(this);
    ui::UseFixedDialogFrame(*this);
    connect(ui->BitBtn1, &QPushButton::clicked, this, [this] { done(ui::ResultOk); });
    connect(ui->BitBtn2, &QPushButton::clicked, this, &TfrmQuit::reject);
}

TfrmQuit::~TfrmQuit() = default;
