#include "ApplicationWindows.h"
#include "Unit1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    ui::ConfigureApplication();
    const std::unique_ptr<TForm1> mainWindow = ui::CreateApplicationWindows();
    QObject::connect(mainWindow.get(), &TForm1::terminateRequested, &application, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    mainWindow->show();
    return QApplication::exec();
}
