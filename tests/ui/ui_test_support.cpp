#include "ui_test_support.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <vector>

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

QString makeDemoMaps()
{
    const QString dir = makeTempDir() + QStringLiteral("/maps");
    const QString tool = qEnvironmentVariable("DEMO_MAPS_TOOL");
    if (tool.isEmpty() || QProcess::execute(tool, {dir}) != 0)
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
