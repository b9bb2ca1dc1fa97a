#include "Unit5.h"
#include "ui_Unit5.h"

#include "ByteText.h"
#include "ErrorReport.h"
#include "FileDialogs.h"
#include "Fonts.h"
#include "Unit3.h"
#include "WorkingDirectoryGuard.h"

#include "catalogue/configuration.h"

TfrmConfig *frmConfig = nullptr;

namespace {

constexpr int FrameLeft = 444;
constexpr int FrameTop = 211;

} // namespace

TfrmConfig::TfrmConfig(QWidget *parent)
    : ModalDialog(parent, ui::EscapeKey::Cancels, Placement::KeepPlace), widgets_(std::make_unique<Ui::TfrmConfig>())
{
    widgets_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);
    setFont(ui::PixelFont(ui::DialogFontFamily, 11));
    move(FrameLeft, FrameTop);
    widgets_->Edit1->setFocus();

    connect(widgets_->BitBtn1, &QPushButton::clicked, this, [this] { done(ui::ResultOk); });
    connect(widgets_->BitBtn2, &QPushButton::clicked, this, &TfrmConfig::reject);
    connect(widgets_->Button1, &QPushButton::clicked, this, &TfrmConfig::Button1Click);
    connect(widgets_->Button2, &QPushButton::clicked, this, &TfrmConfig::Button2Click);
    connect(widgets_->BitBtn3, &QPushButton::clicked, this, &TfrmConfig::BitBtn3Click);
    FormCreate();
}

TfrmConfig::~TfrmConfig() = default;

QLineEdit &TfrmConfig::Edit1() const
{
    return *widgets_->Edit1;
}

QLineEdit &TfrmConfig::Edit2() const
{
    return *widgets_->Edit2;
}

std::string TfrmConfig::MapsText() const
{
    return ui::BytesText(*widgets_->Edit1);
}

std::string TfrmConfig::ViewerText() const
{
    return ui::BytesText(*widgets_->Edit2);
}

void TfrmConfig::FormCreate()
{
    widgets_->Edit1->clear();
    widgets_->Edit2->clear();
}

void TfrmConfig::Button1Click()
{
    ui::Guarded([this] {
        // The chooser puts the current directory back itself when it closes.
        if (frmStart->exec() == ui::ResultOk)
            ui::SetBytesText(*widgets_->Edit1, frmStart->ChooserDirectory());
    });
}

void TfrmConfig::Button2Click()
{
    ui::Guarded([this] {
        ui::WorkingDirectoryGuard keep;
        const auto chosen =
            ui::AskOpenFileName(this, QStringLiteral("Browse to and then select cm32.exe"), openDialogFileName_);
        if (chosen) {
            openDialogFileName_ = *chosen;
            ui::SetBytesText(*widgets_->Edit2, *chosen);
        }
        keep.restore();
    });
}

void TfrmConfig::BitBtn3Click()
{
    ui::Guarded([this] { catalogue::SaveConfiguration(catalogue::programState(), MapsText(), ViewerText()); });
}
