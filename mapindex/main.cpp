#include "index_window.h"
#include "options.h"
#include "start_folder.h"

#include "ErrorReport.h"
#include "runtime/file_size_signal.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int UsageExit = 64;

} // namespace

int main(int argc, char *argv[])
{
    runtime::IgnoreFileSizeSignal();
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
    // Error boxes carry the same caption as the map utility's.
    QApplication::setApplicationName(QStringLiteral("Map utility"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.maputility.MapIndex"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/mapindex/map-index.png")));

    mapindex::IndexWindow window;
    window.show();
    ui::Guarded([&] {
        const mapindex::StartFolder start = mapindex::ResolveStartFolder(options);
        if (start.state.MapsDirectory.empty())
            window.showNotConfigured(QString::fromStdString(start.notConfigured));
        else
            window.open(start.state);
    });
    return QApplication::exec();
}
