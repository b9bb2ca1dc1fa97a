#include "Unit2.h"
#include "ui_Unit2.h"

#include "Fonts.h"
#include "JpegPicture.h"

#include <QPixmap>

TfrmAbout *frmAbout = nullptr;

TfrmAbout::TfrmAbout(QWidget *parent) : MessageDialog(parent)
{
    widgets_->Label1->setFont(ui::PixelFont(ui::TitleFontFamily, 16));
    widgets_->Label9->setFont(ui::PixelFont(ui::DialogFontFamily, 13));
    // The substitute font runs wider than the original: one pixel less keeps
    // the first paragraph clear of the second.
    widgets_->Label4->setFont(ui::PixelFont(ui::DialogFontFamily, 10));
    widgets_->Image3->setPixmap(QPixmap::fromImage(ui::LoadJpeg(QStringLiteral(":/about.jpg"))));
}

TfrmAbout::~TfrmAbout() = default;
