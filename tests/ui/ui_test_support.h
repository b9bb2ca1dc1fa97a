#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

namespace uitest {

// Polls until a modal widget whose objectName is `name` is active, then runs
// `action` on it. Polling, not a single shot: the dialog may not be up yet.
void whenModal(const QString &name, std::function<void(QWidget *)> action, int timeoutMs = 5000);

// Closes every modal widget left open and drops waits still pending, so a
// failing test cannot hang or answer the next.
void closeAllModals();

// A fresh empty directory under the system temp dir, removed at exit.
QString makeTempDir();

// Runs a program to its end with extra environment entries ("NAME=value");
// stdout and stderr together in output. posix_spawn rather than QProcess:
// ThreadSanitizer cannot follow the raw clone QProcess starts children with.
struct ToolRun {
    int exitCode = -1;
    QByteArray output;
};
ToolRun runTool(const QString &program, const QStringList &arguments, const QStringList &environment = {});

// A fresh copy of the 12-map demo collection, written by DEMO_MAPS_TOOL.
QString makeDemoMaps();

// Real key presses and typing through the X server (xdotool), to the window
// that has the focus; for tests run on an X display with a window manager.
bool pressRealKeys(const QStringList &keys);
bool typeRealText(const QString &text);

void writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);

} // namespace uitest
