#include "Unit2.h"
#include "ui_Unit2.h"

#include "Fonts.h"
#include "JpegPicture.h"

#include <QPixmap>

TfrmAbout *frmAbout = nullptr;

TfrmAbout::TfrmAbout(QWidget *parent) : ModalDialog(parent, false), ui(std::make_unique<Ui::TfrmAbout>())
{
    ui->setupUi(this);
    ui::UseFixedDialogFrame(*this);
    ui->Label1->setFont(ui::PixelFont(ui::TitleFontFamily, 16));
    ui->Label9->setFont(ui::PixelFont(ui::DialogFontFamily, 13));
    ui->Image3->setPixmap(QPixmap::fromImage(ui::LoadJpeg(QStringLiteral(":/about.jpg"))));
    connect(ui->BitBtn1, &QPushButton::clicked, this, [this] { done(ui::ResultOk); });
}

TfrmAbout::~TfrmAbout() = default;
