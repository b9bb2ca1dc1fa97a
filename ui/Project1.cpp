#include "ApplicationWindows.h"
#include "ConfigDirectory.h"
#include "ErrorReport.h"
#include "StartOptions.h"
#include "Unit1.h"
#include "runtime/file_size_signal.h"
#include "runtime/io_depth.h"

#include <QApplication>

#include <cstdio>
#include <exception>
#include <iostream>

namespace {

int run(int argc, char *argv[])
{
    // Options first: --help and a usage mistake need no display and open no window.
    const auto options = ui::ReadStartOptions(ui::ArgumentList(argc, argv), MAP_UTILITY_VERSION, std::cout, std::cerr);
    if (const int *exitCode = std::get_if<int>(&options))
        return *exitCode;

    QApplication application(argc, argv);
    ui::ConfigureApplication();
    if (std::get<ui::StartOptions>(options).useConfigDirectory) {
        // Started from the menu: settings live in the configuration folder, lists go to the documents.
        ui::Guarded([] { ui::EnterConfigDirectory(ui::ConfigDirectoryPath()); });
        ui::SaveListsInDocuments();
    }
    const std::unique_ptr<TForm1> mainWindow = ui::CreateApplicationWindows();
    QObject::connect(mainWindow.get(), &TForm1::terminateRequested, &application, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    mainWindow->show();
    return QApplication::exec();
}

} // namespace

int main(int argc, char *argv[])
{
    runtime::IgnoreFileSizeSignal();
    if (!runtime::FixIoDepthFromEnvironment())
        std::fputs("map-utility: MAP_UTILITY_IO_DEPTH is a number from 1 to 256; ignored\n", stderr);
    // Handlers report their own errors; this catches what fails around them
    // (start-up, shutdown) so the program never ends without a word.
    try {
        return run(argc, argv);
    } catch (const std::exception &error) {
        std::cerr << "map-utility: " << error.what() << '\n';
    } catch (...) {
        std::cerr << "map-utility: unexpected error\n";
    }
    return 2;
}
