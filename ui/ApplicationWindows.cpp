#include "ApplicationWindows.h"

#include "Fonts.h"
#include "Unit1.h"
#include "Unit10.h"
#include "Unit11.h"
#include "Unit2.h"
#include "Unit3.h"
#include "Unit4.h"
#include "Unit5.h"
#include "Unit6.h"
#include "Unit7.h"
#include "Unit8.h"
#include "Unit9.h"

#include <QApplication>
#include <QIcon>

// The pictures are compiled into the window library; a static library's
// resources must be registered by hand. Q_INIT_RESOURCE works outside any
// namespace only.
static void registerPictures()
{
    Q_INIT_RESOURCE(resources);
}

namespace ui {

void ConfigureApplication()
{
    registerPictures();
    // The title is the caption of every error box. Kept out of the display
    // name, which the window system would append to every window's caption.
    QApplication::setApplicationName(QStringLiteral("Map utility"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.maputility.MapUtility"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/program.png")));
    InstallFontSubstitutes();
    QApplication::setFont(PixelFont(DialogFontFamily, 11));
}

std::unique_ptr<TForm1> CreateApplicationWindows()
{
    auto main = std::make_unique<TForm1>();
    Form1 = main.get();
    frmStart = new TfrmStart(Form1); // the dialogs are owned by Form1
    frmAbout = new TfrmAbout(Form1);
    frmQuit = new TfrmQuit(Form1);
    frmConfig = new TfrmConfig(Form1);
    frmDoConfig = new TfrmDoConfig(Form1);
    frmPrint = new TfrmPrint(Form1);
    frmError = new TfrmError(Form1);
    frmConfirmClear = new TfrmConfirmClear(Form1);
    frmFind = new TfrmFind(Form1);
    frmNotFound = new TfrmNotFound(Form1);
    // When the main window goes, so do the dialogs: forget them all.
    QObject::connect(Form1, &QObject::destroyed, qApp, [] {
        Form1 = nullptr;
        frmStart = nullptr;
        frmAbout = nullptr;
        frmQuit = nullptr;
        frmConfig = nullptr;
        frmDoConfig = nullptr;
        frmPrint = nullptr;
        frmError = nullptr;
        frmConfirmClear = nullptr;
        frmFind = nullptr;
        frmNotFound = nullptr;
    });
    return main;
}

} // namespace ui
