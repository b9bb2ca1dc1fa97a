#include "settings_file.h"

#include "catalogue/list_export.h"
#include "runtime/io_error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>
#include <QVariantMap>

#include <optional>

namespace mapindex {
namespace {

SettingsErrorSink &errorSink()
{
    static SettingsErrorSink sink;
    return sink;
}

QVariantMap contents(const QSettings &settings)
{
    QVariantMap values;
    for (const QString &key : settings.allKeys())
        values.insert(key, settings.value(key));
    return values;
}

// The settings file's new bytes, made by QSettings in a copy beside it and
// read back whole; nothing when they did not come out as meant.
std::optional<QByteArray> stagedBytes(const QString &path, const std::function<void(QSettings &)> &change)
{
    QTemporaryFile staging(path + QStringLiteral(".XXXXXX"));
    if (!staging.open())
        return std::nullopt;
    staging.close();
    QVariantMap meant;
    {
        const QSettings current(path, QSettings::IniFormat);
        QSettings staged(staging.fileName(), QSettings::IniFormat);
        for (const QString &key : current.allKeys())
            staged.setValue(key, current.value(key));
        change(staged);
        staged.sync();
        if (staged.status() != QSettings::NoError)
            return std::nullopt;
        meant = contents(staged);
    }
    // Read under a name of its own: under the first, QSettings would answer
    // from what it remembers rather than from the file.
    const QString check = staging.fileName() + QStringLiteral(".check");
    if (!QFile::rename(staging.fileName(), check))
        return std::nullopt;
    std::optional<QByteArray> bytes;
    if (contents(QSettings(check, QSettings::IniFormat)) == meant) {
        QFile file(check);
        if (file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
    }
    QFile::remove(check);
    return bytes;
}

} // namespace

void SetSettingsErrorSink(SettingsErrorSink sink)
{
    errorSink() = std::move(sink);
}

void ChangeSettings(const QString &path, const std::function<void(QSettings &)> &change)
{
    std::optional<QString> error;
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        error = QFileInfo(path).absolutePath() + QStringLiteral(": The folder could not be made.");
    } else if (const std::optional<QByteArray> bytes = stagedBytes(path, change)) {
        try {
            catalogue::WriteTextFile(QFile::encodeName(path).toStdString(), bytes->toStdString());
        } catch (const runtime::EInOutError &failure) {
            error = path + QStringLiteral(": ") + QString::fromStdString(runtime::ReportText(failure.what()));
        }
    } else {
        error = path + QStringLiteral(": The settings could not be written.");
    }
    if (error && errorSink())
        errorSink()(*error);
}

} // namespace mapindex
