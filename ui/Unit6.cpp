#include "Unit6.h"
#include "ui_Unit6.h"

TfrmDoConfig *frmDoConfig = nullptr;

TfrmDoConfig::TfrmDoConfig(QWidget *parent) : ModalDialog(parent, false), ui(std::make_unique<Ui::TfrmDoConfig>())
{
    ui->setupUi(this);
    ui::UseFixedDialogFrame(*this);
    connect(ui->BitBtn1, &QPushButton::clicked, this, [this] { done(ui::ResultOk); });
}

TfrmDoConfig::~TfrmDoConfig() = default;
