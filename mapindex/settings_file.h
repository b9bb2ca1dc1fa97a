#pragma once

#include <QString>

#include <functional>

class QSettings;

namespace mapindex {

// Changes the settings file at path through QSettings, checked: Qt's own
// save, on a full disk, can put an empty file in the old one's place and
// report no error. The change is made in a copy beside the file and read
// back, and only then written over the file whole, so any failure leaves
// the old file as it was and is told to the sink set below.
void ChangeSettings(const QString &path, const std::function<void(QSettings &)> &change);

// Told why a change of the settings was not saved ("PATH: Disk full.").
using SettingsErrorSink = std::function<void(const QString &why)>;
void SetSettingsErrorSink(SettingsErrorSink sink);

} // namespace mapindex
