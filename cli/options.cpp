#include "options.h"

#include "runtime/io_depth.h"

#include <array>
#include <charconv>
#include <getopt.h>

namespace cli {
namespace {

enum LongOnly {
    ContentOption = 256,
    FormatOption,
    OutputOption,
    VersionOption,
    RecursiveOption,
    FilesOption,
    IoDepthOption
};

constexpr const char *ShortOptions = "+:d:0j:hi";
constexpr std::array<option, 13> LongOptions = {{
    {"dir", required_argument, nullptr, 'd'},
    {"null", no_argument, nullptr, '0'},
    {"jobs", required_argument, nullptr, 'j'},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, VersionOption},
    {"content", no_argument, nullptr, ContentOption},
    {"format", required_argument, nullptr, FormatOption},
    {"output", required_argument, nullptr, OutputOption},
    {"recursive", no_argument, nullptr, RecursiveOption},
    {"ignore-case", no_argument, nullptr, 'i'},
    {"files", no_argument, nullptr, FilesOption},
    {"io-depth", required_argument, nullptr, IoDepthOption},
    {nullptr, 0, nullptr, 0},
}};

unsigned parseJobs(const std::string &text)
{
    unsigned jobs = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jobs);
    if (error != std::errc{} || end != text.data() + text.size() || jobs == 0 || jobs > 1024)
        throw UsageError("--jobs needs a number from 1 to 1024, not '" + text + "'");
    return jobs;
}

unsigned parseIoDepth(const std::string &text)
{
    if (const auto depth = runtime::ParseIoDepth(text))
        return *depth;
    throw UsageError("--io-depth needs a number from 1 to " + std::to_string(runtime::MaxIoDepth) + ", not '" + text
                     + "'");
}

IndexFormat parseFormat(const std::string &text)
{
    if (text == "tsv")
        return IndexFormat::Tsv;
    if (text == "csv")
        return IndexFormat::Csv;
    if (text == "json")
        return IndexFormat::Json;
    throw UsageError("--format is tsv, csv or json, not '" + text + "'");
}

// Reads options from arguments[first] on; returns the index of the first
// argument that is not one (past a "--").
std::size_t readOptions(const std::vector<std::string> &arguments, std::size_t first, Options &options,
                        std::vector<std::string> &given)
{
    // getopt wants writable C strings and a program name before them.
    std::vector<std::string> copies{"map-catalogue"};
    copies.insert(copies.end(), arguments.begin() + static_cast<std::ptrdiff_t>(first), arguments.end());
    std::vector<char *> argv;
    argv.reserve(copies.size() + 1);
    for (auto &argument : copies)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    opterr = 0;
    optind = 0; // start afresh: getopt keeps its place between calls
    const int argc = static_cast<int>(argv.size() - 1);
    for (int c; (c = getopt_long(argc, argv.data(), ShortOptions, LongOptions.data(), nullptr)) != -1;) {
        switch (c) {
        case 'd':
            options.dir = optarg;
            break;
        case '0':
            options.null = true;
            given.emplace_back("--null");
            break;
        case 'j':
            options.jobs = parseJobs(optarg);
            break;
        case IoDepthOption:
            options.ioDepth = parseIoDepth(optarg);
            break;
        case 'h':
            options.help = true;
            break;
        case VersionOption:
            options.version = true;
            break;
        case ContentOption:
            options.content = true;
            given.emplace_back("--content");
            break;
        case FormatOption:
            options.format = parseFormat(optarg);
            given.emplace_back("--format");
            break;
        case OutputOption:
            options.output = optarg;
            given.emplace_back("--output");
            break;
        case RecursiveOption:
            options.recursive = true;
            given.emplace_back("--recursive");
            break;
        case 'i':
            options.ignoreCase = true;
            given.emplace_back("--ignore-case");
            break;
        case FilesOption:
            options.files = true;
            given.emplace_back("--files");
            break;
        case ':':
            throw UsageError("option '" + std::string(argv[optind - 1]) + "' needs an argument");
        default:
            throw UsageError("unknown option '"
                             + (optopt != 0 ? std::string("-") + static_cast<char>(optopt) : argv[optind - 1]) + "'");
        }
    }
    return first + static_cast<std::size_t>(optind - 1);
}

// Which command each command-specific option belongs to.
bool optionFits(const std::string &option, const std::string &command)
{
    if (option == "--content" || option == "--ignore-case")
        return command == "search";
    if (option == "--null" || option == "--files")
        return command == "scan" || command == "search";
    if (option == "--recursive")
        return command == "index" || command == "search";
    return command == "index"; // --format, --output
}

} // namespace

Options ParseOptions(const std::vector<std::string> &arguments)
{
    Options options;
    std::vector<std::string> given;
    std::size_t next = readOptions(arguments, 0, options, given);
    if (options.help || options.version)
        return options;
    if (next >= arguments.size())
        throw UsageError("no command given");
    options.command = arguments[next];
    const bool known = options.command == "scan" || options.command == "details" || options.command == "search"
        || options.command == "export" || options.command == "view" || options.command == "index";
    if (!known)
        throw UsageError("unknown command '" + options.command + "'");

    next = readOptions(arguments, next + 1, options, given);
    if (options.help || options.version)
        return options;
    options.operands.assign(arguments.begin() + static_cast<std::ptrdiff_t>(next), arguments.end());
    for (const auto &option : given) {
        if (!optionFits(option, options.command))
            throw UsageError(option + " does not apply to " + options.command);
    }
    const std::size_t wanted = options.command == "scan" || options.command == "index" ? 0 : 1;
    if (options.operands.size() != wanted)
        throw UsageError(options.command + (wanted == 0 ? " takes no operand" : " takes exactly one operand"));
    if (options.ignoreCase && !options.content)
        throw UsageError("--ignore-case applies to search --content");
    if (options.content && options.operands[0].empty())
        throw UsageError("the search text is empty");
    return options;
}

} // namespace cli
