#pragma once

// Shared set-up of the Map Index tests: demo collections, and a window opened
// on a folder, reading it as the program does, and waited for.

#include "index_model.h"
#include "index_window.h"

#include "catalogue/map_index.h"
#include "ui_test_support.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace mitest {

inline std::string bytes(const QString &path)
{
    return QFile::encodeName(path).toStdString();
}

using uitest::makeDemoMaps;
using uitest::readFile;
using uitest::writeFile;

// A viewer that writes its arguments, one a line, to record.
inline QString recordingViewer(const QString &record)
{
    const QString viewer = uitest::makeTempDir() + QStringLiteral("/viewer.sh");
    writeFile(viewer, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + QFile::encodeName(record) + "'\n");
    QFile::setPermissions(viewer, QFile::ReadOwner | QFile::ExeOwner);
    return viewer;
}

// One window on one maps folder.
struct Session {
    explicit Session(const QString &maps, const QString &viewer = QString())
    {
        state.MapsDirectory = bytes(maps);
        state.ViewerPath = bytes(viewer);
    }

    // Opens the folder, or reloads it, and waits for the reading to end.
    void read(bool reload = false)
    {
        QSignalSpy done(&window, &mapindex::IndexWindow::readingFinished);
        if (reload)
            window.findChild<QAction *>(QStringLiteral("reload"))->trigger();
        else
            window.open(state);
        QVERIFY(done.wait(30000));
    }

    // The row showing entry, or -1.
    int rowOf(const QString &entry) const
    {
        for (int row = 0; row < model().rowCount(); ++row)
            if (model().index(row, 0).data().toString() == entry)
                return row;
        return -1;
    }

    QStringList column(int column) const
    {
        QStringList texts;
        for (int row = 0; row < model().rowCount(); ++row)
            texts << model().index(row, column).data().toString();
        return texts;
    }

    mapindex::IndexModel &model() const { return window.model(); }
    // The maps whose details the last reading read rather than took from the cache.
    int reads() const { return static_cast<int>(window.loader().mapsRead()); }

    catalogue::ProgramState state;
    mapindex::IndexWindow window;
    // Checks every reset, sort, filter and change of the table's rows as they happen.
    QAbstractItemModelTester modelTester{&window.model(), QAbstractItemModelTester::FailureReportingMode::QtTest};
};

} // namespace mitest
