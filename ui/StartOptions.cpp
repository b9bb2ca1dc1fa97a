#include "StartOptions.h"

#include <QCommandLineParser>

namespace ui {

namespace {

// Qt's own window options, taken by QApplication later: accepted, not listed.
void addHiddenQtOptions(QCommandLineParser &parser)
{
    for (const char *name : {"platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                             "qwindowicon", "qwindowtitle", "session", "style", "stylesheet", "display", "geometry"}) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char *name : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

void writeText(std::ostream &stream, const QString &text)
{
    stream << text.toLocal8Bit().toStdString();
}

} // namespace

std::variant<StartOptions, int> ReadStartOptions(const QStringList &arguments, const std::string &version,
                                                 std::ostream &out, std::ostream &err)
{
    QCommandLineParser parser;
    // Qt's options are single-dash words ("-style fusion").
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral("Lists, searches and opens the maps of a map collection."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption showVersion(QStringLiteral("version"), QStringLiteral("Show the version and exit."));
    const QCommandLineOption configDir(
        QStringLiteral("config-dir"),
        QStringLiteral("Start in $XDG_CONFIG_HOME/map-utility (default ~/.config/map-utility),\n"
                       "creating it when missing, and keep lister.txt there."));
    parser.addOptions({help, showVersion, configDir});
    addHiddenQtOptions(parser);

    const QString usage = QStringLiteral("Usage: map-utility [--config-dir]\n"
                                         "       map-utility --help | --version\n");
    if (!parser.parse(arguments)) {
        writeText(err, QStringLiteral("map-utility: ") + parser.errorText() + QLatin1Char('\n') + usage);
        return ExitUsage;
    }
    if (!parser.positionalArguments().isEmpty()) {
        writeText(err,
                  QStringLiteral("map-utility: Unexpected argument '") + parser.positionalArguments().constFirst()
                      + QStringLiteral("'.\n") + usage);
        return ExitUsage;
    }
    if (parser.isSet(help)) {
        writeText(out, usage + QLatin1Char('\n') + parser.applicationDescription() + QStringLiteral("\n\nOptions:\n"));
        for (const QCommandLineOption &option : {help, showVersion, configDir}) {
            QStringList names;
            for (const QString &name : option.names())
                names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
            writeText(out,
                      QStringLiteral("  %1\n      %2\n")
                          .arg(names.join(QStringLiteral(", ")),
                               option.description().replace(QLatin1Char('\n'), QStringLiteral("\n      "))));
        }
        return 0;
    }
    if (parser.isSet(showVersion)) {
        out << "map-utility " << version << '\n';
        return 0;
    }
    return StartOptions{parser.isSet(configDir)};
}

QStringList ArgumentList(int argc, const char *const *argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace ui
