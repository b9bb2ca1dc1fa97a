#include "options.h"

#include <QCommandLineParser>
#include <QFile>
#include <QStringList>

namespace mapindex {
namespace {

// Qt's own window options, which QApplication takes later: accepted, not listed.
void acceptQtOptions(QCommandLineParser &parser)
{
    for (const char *name : {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                             "qwindowicon", "qwindowtitle", "session", "style", "stylesheet", "display", "geometry"})
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value")));
    for (const char *name : {"reverse", "widgetcount", "nograb", "dograb", "sync"})
        parser.addOption(QCommandLineOption(QString::fromLatin1(name)));
}

} // namespace

Options ParseOptions(const std::vector<std::string> &arguments)
{
    QStringList args;
    for (const std::string &argument : arguments)
        args << QString::fromLocal8Bit(argument);

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption dir(QStringList{QStringLiteral("d"), QStringLiteral("dir")}, QString(),
                                 QStringLiteral("DIR"));
    const QCommandLineOption configDir(QStringLiteral("config-dir"));
    parser.addOptions({help, version, dir, configDir});
    acceptQtOptions(parser);

    Options options;
    if (!parser.parse(args)) {
        options.usageError = parser.errorText().toStdString();
        return options;
    }
    if (!parser.positionalArguments().isEmpty()) {
        options.usageError = "Unexpected argument '" + parser.positionalArguments().first().toStdString() + "'.";
        return options;
    }
    options.help = parser.isSet(help);
    options.version = parser.isSet(version);
    options.configDir = parser.isSet(configDir);
    if (parser.isSet(dir)) {
        const QByteArray bytes = QFile::encodeName(parser.value(dir));
        options.mapsDir = std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    return options;
}

std::string HelpText()
{
    return "Usage: map-index [--dir DIR] [--config-dir]\n"
           "Shows every map of the collection in a table that sorts, filters, opens maps in the\n"
           "viewer and exports them as CSV or TSV.\n"
           "\n"
           "Options:\n"
           "  -d, --dir DIR   read the maps in DIR instead of the folder named in \"lister.txt\"\n"
           "  --config-dir    use $XDG_CONFIG_HOME/map-utility as the start folder (it holds\n"
           "                  \"lister.txt\"); without it, \"lister.txt\" of the current folder\n"
           "  -h, --help      show this help and exit\n"
           "  --version       show the version and exit\n"
           "\n"
           "In the window: type in the filter to keep the rows holding every word; click a\n"
           "header to sort; Enter or a double click opens the map; Ctrl+F filter, Esc clear it,\n"
           "F5 reload. Readings are cached in $XDG_CACHE_HOME/map-utility.\n"
           "\n"
           "Example:\n"
           "  map-index --dir ~/maps\n";
}

std::string VersionText()
{
    return std::string("map-index ") + MAP_UTILITY_VERSION + "\n";
}

} // namespace mapindex
