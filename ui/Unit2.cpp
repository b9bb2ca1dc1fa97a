#include "Unit2.h"
#include "ui_Unit2.h"

#include "Fonts.h"
#include "JpegPicture.h"

#include <QPixmap>

TfrmAbout *frmAbout = nullptr;

TfrmAbout::TfrmAbout(QWidget *parent)
    : ModalDialog(parent, ui::EscapeKey::Ignored), widgets_(std::make_unique<Ui::TfrmAbout>())
{
    widgets_->setupUi(this);
    ui::UseFixedDialogFrame(*this);
    widgets_->Label1->setFont(ui::PixelFont(ui::TitleFontFamily, 16));
    widgets_->Label9->setFont(ui::PixelFont(ui::DialogFontFamily, 13));
    // The substitute font runs wider than the original: one pixel less keeps
    // the first paragraph clear of the second.
    widgets_->Label4->setFont(ui::PixelFont(ui::DialogFontFamily, 10));
    widgets_->Image3->setPixmap(QPixmap::fromImage(ui::LoadJpeg(QStringLiteral(":/about.jpg"))));
    connect(widgets_->BitBtn1, &QPushButton::clicked, this, [this] { done(ui::ResultOk); });
}

TfrmAbout::~TfrmAbout() = default;
