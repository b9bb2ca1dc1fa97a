#include "ui_test_support.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTimer>

#include <cerrno>
#include <memory>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern "C" char **environ; // NOLINT: the process environment, handed on to children

namespace uitest {

void whenModal(const QString &name, std::function<void(QWidget *)> action, int timeoutMs)
{
    auto timer = new QTimer(qApp); // owned by the application, deleted when done
    timer->setObjectName(QStringLiteral("uitest-whenModal"));
    auto elapsed = std::make_shared<int>(0);
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, elapsed, name, action, timeoutMs] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->objectName() == name && modal->isVisible()) {
            timer->stop();
            timer->deleteLater();
            action(modal);
            return;
        }
        *elapsed += 20;
        if (*elapsed > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            qWarning("whenModal: %s never appeared", qPrintable(name));
        }
    });
    timer->start();
}

void closeAllModals()
{
    // A wait that never saw its dialog must not answer a later test's.
    for (QTimer *timer : qApp->findChildren<QTimer *>(QStringLiteral("uitest-whenModal"), Qt::FindDirectChildrenOnly)) {
        timer->stop();
        timer->deleteLater();
    }
    for (int i = 0; i < 20; ++i) {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        modal->close();
        QApplication::processEvents();
    }
}

QString makeTempDir()
{
    static std::vector<std::unique_ptr<QTemporaryDir>> dirs;
    dirs.push_back(std::make_unique<QTemporaryDir>());
    return QDir(dirs.back()->path()).canonicalPath();
}

namespace {

// The array of C strings posix_spawn takes, pointing into strings.
std::vector<char *> nullTerminated(std::vector<QByteArray> &strings)
{
    std::vector<char *> pointers;
    for (QByteArray &string : strings)
        pointers.push_back(string.data());
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

ToolRun runTool(const QString &program, const QStringList &arguments, const QStringList &environment)
{
    QTemporaryFile output;
    if (!output.open())
        qFatal("no temporary file for a tool's output");
    std::vector<QByteArray> argumentBytes{QFile::encodeName(program)};
    for (const QString &argument : arguments)
        argumentBytes.push_back(QFile::encodeName(argument));
    std::vector<QByteArray> environmentBytes;
    for (char **entry = environ; *entry; ++entry)
        environmentBytes.emplace_back(*entry);
    for (const QString &entry : environment)
        environmentBytes.push_back(QFile::encodeName(entry));
    std::vector<char *> argv = nullTerminated(argumentBytes);
    std::vector<char *> envp = nullTerminated(environmentBytes);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, output.handle(), 1);
    posix_spawn_file_actions_adddup2(&actions, output.handle(), 2);
    pid_t pid = -1;
    ToolRun run;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    output.seek(0);
    run.output = output.readAll();
    return run;
}

namespace {

bool runXdotool(const QStringList &arguments)
{
    const ToolRun run = runTool(QStandardPaths::findExecutable(QStringLiteral("xdotool")), arguments);
    if (run.exitCode != 0)
        qWarning("xdotool %s: %s", qPrintable(arguments.join(QLatin1Char(' '))), run.output.constData());
    return run.exitCode == 0;
}

} // namespace

bool pressRealKeys(const QStringList &keys)
{
    return runXdotool(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("40")} + keys);
}

bool typeRealText(const QString &text)
{
    return runXdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"), text});
}

QString makeDemoMaps()
{
    const QString dir = makeTempDir() + QStringLiteral("/maps");
    const QString tool = qEnvironmentVariable("DEMO_MAPS_TOOL");
    if (tool.isEmpty() || runTool(tool, {dir}).exitCode != 0)
        qFatal("DEMO_MAPS_TOOL did not write the demo collection");
    return dir;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace uitest
