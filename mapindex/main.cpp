#include "index_window.h"
#include "options.h"
#include "start_folder.h"
#include "view_settings.h"

#include "ErrorReport.h"
#include "runtime/file_size_signal.h"
#include "runtime/io_depth.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QTimer>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int UsageExit = 64;

} // namespace

int main(int argc, char *argv[])
{
    runtime::IgnoreFileSizeSignal();
    if (!runtime::FixIoDepthFromEnvironment())
        std::fputs("map-index: MAP_UTILITY_IO_DEPTH is a number from 1 to 256; ignored\n", stderr);
    // Help, version and usage errors need no display.
    const mapindex::Options options = mapindex::ParseOptions(std::vector<std::string>(argv, argv + argc));
    if (!options.usageError.empty()) {
        std::fprintf(
            stderr, "map-index: %s\nUsage: map-index [--dir DIR] [--config-dir]\n       map-index --help | --version\n",
            options.usageError.c_str());
        return UsageExit;
    }
    if (options.help || options.version) {
        const std::string text = options.help ? mapindex::HelpText() : mapindex::VersionText();
        std::fputs(text.c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 2;
    }

    QApplication application(argc, argv);
    // Error boxes are captioned with the program's name.
    QApplication::setApplicationName(QStringLiteral("Map Index"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.maputility.MapIndex"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/mapindex/map-index.png")));

    mapindex::IndexWindow window;
    window.show();
    ui::Guarded([&] {
        mapindex::StartFolder start = mapindex::ResolveStartFolder(options);
        window.setViewerFromLister(start.listerFound);
        if (!start.listerFound)
            start.state.ViewerPath = mapindex::SettingsViewer();
        if (start.state.MapsDirectory.empty()) {
            // From the desktop menu: the folder used last, or ask for one.
            const std::vector<std::string> recent = mapindex::RecentFolders();
            if (!recent.empty() && QFileInfo(QFile::decodeName(QByteArray::fromStdString(recent.front()))).isDir()) {
                start.state.MapsDirectory = recent.front();
            } else {
                window.showNotConfigured(QString::fromStdString(start.notConfigured));
                QTimer::singleShot(0, &window, &mapindex::IndexWindow::chooseFolder);
                return;
            }
        }
        window.open(start.state);
    });
    return QApplication::exec();
}
