// Drives the main window offscreen for bench/run: its Scan, or its Scan and
// then its content search, on one folder, and prints the milliseconds the
// handlers took (the window's start-up is not theirs).
//
//   window-bench --dir DIR scan
//   window-bench --dir DIR search --content TEXT
#include "ApplicationWindows.h"
#include "Unit1.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <iostream>
#include <unistd.h>

int main(int argc, char *argv[])
{
    const bool scan = argc == 4 && std::strcmp(argv[1], "--dir") == 0 && std::strcmp(argv[3], "scan") == 0;
    const bool search = argc == 6 && std::strcmp(argv[1], "--dir") == 0 && std::strcmp(argv[3], "search") == 0
                        && std::strcmp(argv[4], "--content") == 0;
    if (!scan && !search) {
        std::cerr << "usage: window-bench --dir DIR scan | --dir DIR search --content TEXT\n";
        return 64;
    }
    const std::string dir = argv[2];
    if (::chdir(dir.c_str()) != 0) { // the window scans its current folder
        std::cerr << "window-bench: " << dir << ": cannot enter\n";
        return 2;
    }
    QApplication application(argc, argv);
    const std::unique_ptr<TForm1> window = ui::CreateApplicationWindows();
    // Answers whatever box the window raises (the not-found notice), as a user would.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, &application, [] {
        if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            dialog->reject();
    });
    answer.start(20);
    QElapsedTimer clock;
    const auto report = [&clock] {
        std::printf("%.1f\n", static_cast<double>(clock.nsecsElapsed()) / 1e6);
        QApplication::quit();
    };
    // The content search runs on a worker: it is done when the window says so.
    QObject::connect(window.get(), &TForm1::fullSearchFinished, &application, report);
    QTimer::singleShot(0, &application, [&] {
        clock.start();
        window->Scan1Click();
        if (!search) {
            report();
            return;
        }
        clock.restart();
        window->fullSearch(argv[5], dir);
    });
    return QApplication::exec();
}
