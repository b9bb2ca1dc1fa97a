#pragma once

#include <QStringList>

#include <ostream>
#include <string>
#include <variant>

namespace ui {

// What the command line asks of map-utility beyond its windows.
struct StartOptions {
    bool useConfigDirectory = false;
};

inline constexpr int ExitUsage = 64;

// Reads the options before any window (or display) exists. Help, version and
// usage mistakes are answered on the streams; the exit code is returned then.
std::variant<StartOptions, int> ReadStartOptions(const QStringList &arguments, const std::string &version,
                                                 std::ostream &out, std::ostream &err);

// argv as QStrings in the locale's encoding, for the parser only.
QStringList ArgumentList(int argc, const char *const *argv);

} // namespace ui
