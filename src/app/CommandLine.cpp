#include "CommandLine.h"

#include "Backups.h"
#include "Platform.h"
#include "Process.h"
#include "SearchesCommand.h"

#include <QCommandLineParser>
#include <QList>
#include <QStringList>
#include <cstdio>

namespace quillmoor {

namespace {

    const char* const kProgram = "quillmoor";

    void print(std::FILE* to, const QString& text)
    {
        std::fputs(text.toLocal8Bit().constData(), to);
        std::fflush(to);
    }

    // Options the window system's side of Qt reads for itself (the session
    // manager restarts a program with -session); accepted and not shown.
    void addToolkitOptions(QCommandLineParser& parser)
    {
        for (const char* name : { "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
                 "qwindowicon", "qwindowtitle", "session", "style", "stylesheet", "display", "geometry", "title" }) {
            QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
            option.setFlags(QCommandLineOption::HiddenFromHelp);
            parser.addOption(option);
        }
        for (const char* name : { "reverse", "widgetcount", "nograb", "dograb", "sync" }) {
            QCommandLineOption option(QString::fromLatin1(name));
            option.setFlags(QCommandLineOption::HiddenFromHelp);
            parser.addOption(option);
        }
    }

    // Why no window can open, or nothing when one can. Qt itself would end
    // the program with an abort and several lines about its plugins.
    QString missingDisplay(const QCommandLineParser& parser)
    {
        const auto set = [](const char* name) { return !qEnvironmentVariableIsEmpty(name); };
        const bool x11 = set("DISPLAY") || parser.isSet(QStringLiteral("display"));
        const bool wayland = set("WAYLAND_DISPLAY");
        QString platforms = parser.value(QStringLiteral("platform"));
        if (platforms.isEmpty())
            platforms = qEnvironmentVariable("QT_QPA_PLATFORM");
        if (platforms.isEmpty())
            return x11 || wayland ? QString() : QStringLiteral("DISPLAY is not set");
        // A list of platforms is tried in order: one that can start is enough.
        QString missing;
        for (const QString& entry : platforms.split(u';', Qt::SkipEmptyParts)) {
            const QString name = entry.section(u':', 0, 0);
            if (name == u"xcb" && !x11)
                missing = QStringLiteral("DISPLAY is not set");
            else if (name.startsWith(u"wayland") && !wayland)
                missing = QStringLiteral("WAYLAND_DISPLAY is not set");
            else
                return QString();
        }
        return missing;
    }

} // namespace

DisplayCheck::DisplayCheck()
    : listener_([this](QtMsgType type, const QMessageLogContext& context, const QString& text) {
        return hold(type, context, text);
    })
{
}

DisplayCheck::~DisplayCheck()
{
    for (const HeldMessage& held : std::as_const(held_))
        passOn(held);
}

void DisplayCheck::passOn(const HeldMessage& held)
{
    const QByteArray category = held.category.toLatin1();
    MessageListener::passOn(held.type,
        QMessageLogContext(nullptr, 0, nullptr, category.isEmpty() ? nullptr : category.constData()), held.text);
}

bool DisplayCheck::hold(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type != QtFatalMsg) {
        held_.append({ type, QString::fromLatin1(context.category), text });
        return true;
    }
    // The reason is what the window system's plugins warned of ("could
    // not connect to display :1"), unless logging rules silence them;
    // Qt's own last words only suggest reinstalling. Debugging output
    // of Qt's is only there when asked for, and is kept.
    QStringList reasons;
    for (const HeldMessage& held : std::as_const(held_)) {
        if (held.type == QtDebugMsg)
            passOn(held);
        else if (held.category.startsWith(u"qt.qpa") && !held.text.startsWith(u"Could not load the Qt platform plugin"))
            reasons << held.text.section(u'\n', 0, 0);
    }
    if (reasons.isEmpty())
        reasons << QStringLiteral("no window system could be reached");
    print(stderr,
        QStringLiteral("%1: no display (%2)\n").arg(QString::fromLatin1(kProgram), reasons.join(QStringLiteral("; "))));
    // Mid-way through making the application object: nothing to save and
    // nothing safe to tear down.
    os::endNow(1);
}

namespace {

    // The options a user types, besides the window system's.
    struct Options {
        QCommandLineOption help { { QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?") },
            QStringLiteral("Displays this help.") };
        QCommandLineOption version { { QStringLiteral("v"), QStringLiteral("version") },
            QStringLiteral("Displays version information.") };
        QCommandLineOption exportTo { QStringLiteral("export"),
            QStringLiteral(
                "Writes the saved searches to <file>, one a line in UTF-8 (- for standard output), and ends; a "
                "<file> ending in .html or .htm is a bookmarks file browsers import, one bookmark a results page. A "
                "pipe or device is written into, never replaced."),
            QStringLiteral("file") };
        QCommandLineOption importFrom { QStringLiteral("import"),
            QStringLiteral("Adds each non-blank line of the text file <file> (at most 256 MB) to the end of the saved "
                           "searches, and ends. A results page's address, on a line or as a bookmark of a browser's "
                           "bookmarks file, adds the searches it was made from."),
            QStringLiteral("file") };
        QCommandLineOption listBackups { QStringLiteral("list-backups"),
            QStringLiteral("Lists the backups of the saved searches, newest first: when each was made, how many "
                           "searches it holds and its file, and ends.") };
        QCommandLineOption restoreFrom { QStringLiteral("restore"),
            QStringLiteral("Makes the saved searches those of <file> (a backup, or any file --import reads), keeping "
                           "a backup of the list it replaces, and ends."),
            QStringLiteral("file") };
        QCommandLineOption openAll { QStringLiteral("open-all"),
            QStringLiteral("Opens every saved search in the browser as Open All does, without a window, and ends "
                           "once the last page is handed over.") };
        QCommandLineOption list { QStringLiteral("list"),
            QStringLiteral("With --open-all, --import, --export or --restore: acts on the list of saved searches "
                           "named <name> rather than the first; --import makes it when there is none."),
            QStringLiteral("name") };
        QCommandLineOption lists { QStringLiteral("lists"),
            QStringLiteral("Prints each list of saved searches with its number of searches, one a line, and ends.") };
        QCommandLineOption stopOpening { QStringLiteral("stop-opening"),
            QStringLiteral("Stops the pages a running Quillmoor (a window, or --open-all) is opening, as its Stop "
                           "Opening button does, and ends.") };
    };

    void describe(QCommandLineParser& parser, const Options& options)
    {
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.setApplicationDescription(QStringLiteral(
            "Builds web searches limited to the classified-ad sites of the cities you pick, keeps them in a list\n"
            "and opens them in the browser. Searches open in the web search engine (Google by default);\n"
            "about one start in a hundred also opens the Marrowfen home page.\n"
            "\n"
            "The cities are read from your own list, $XDG_DATA_HOME/quillmoor/list.txt (by default\n"
            "~/.local/share/quillmoor/list.txt), when it exists, else from the list.txt beside the program,\n"
            "which is the package's and not for editing. \"Edit City List...\" in the city list's menu\n"
            "(right-click) makes your own list as a copy of that one and opens it in your text editor;\n"
            "a city added there, one a line as address,city,state, shows at the next keystroke in the filter."));
        // Not Qt's own help option, which also offers a --help-all that lists
        // Qt's options, and those are read only once a window can open.
        parser.addOptions({ options.help, options.version, options.exportTo, options.importFrom, options.listBackups,
            options.restoreFrom, options.openAll, options.list, options.lists, options.stopOpening });
        addToolkitOptions(parser);
    }

} // namespace

namespace {

    QString programName() { return QString::fromLatin1(kProgram); }

    QString tryHelp() { return QStringLiteral("Try '%1 --help' for more information.\n").arg(programName()); }

    // Reads the command line's words; 2 when they are no options of ours,
    // said on standard error.
    std::optional<int> unreadable(QCommandLineParser& parser, int argc, char* argv[])
    {
        QStringList arguments;
        for (int i = 0; i < argc; ++i)
            arguments << QString::fromLocal8Bit(argv[i]);
        if (!parser.parse(arguments)) {
            print(stderr, programName() + QStringLiteral(": ") + parser.errorText() + u'\n' + tryHelp());
            return 2;
        }
        if (!parser.positionalArguments().isEmpty()) {
            print(stderr,
                QStringLiteral("%1: unexpected argument '%2'\n")
                        .arg(programName(), parser.positionalArguments().first())
                    + tryHelp());
            return 2;
        }
        return std::nullopt;
    }

    // --help and --version are answered on standard output.
    std::optional<int> answered(const QCommandLineParser& parser, const Options& options)
    {
        if (parser.isSet(options.help)) {
            // Without an application object Qt names the program by a placeholder.
            QString text = parser.helpText();
            text.replace(QStringLiteral("<executable_name>"), programName());
            print(stdout, text);
            return 0;
        }
        if (parser.isSet(options.version)) {
            print(stdout, programName() + u' ' + QStringLiteral(QUILLMOOR_VERSION) + u'\n');
            return 0;
        }
        return std::nullopt;
    }

    // 2 when an option is given twice that may come once, or options that
    // exclude each other come together.
    std::optional<int> clashing(const QCommandLineParser& parser, const Options& options)
    {
        // A second file would silently win over the first.
        for (const QCommandLineOption* option :
            { &options.exportTo, &options.importFrom, &options.restoreFrom, &options.list }) {
            if (parser.values(*option).size() > 1) {
                print(stderr,
                    QStringLiteral("%1: --%2 may be given only once\n").arg(programName(), option->names().first()));
                return 2;
            }
        }
        QStringList modes;
        for (const QCommandLineOption* mode : { &options.exportTo, &options.importFrom, &options.listBackups,
                 &options.restoreFrom, &options.openAll, &options.lists, &options.stopOpening }) {
            if (parser.isSet(*mode))
                modes << QStringLiteral("--") + mode->names().first();
        }
        const QStringList withList = { QStringLiteral("--export"), QStringLiteral("--import"),
            QStringLiteral("--restore"), QStringLiteral("--open-all") };
        if (parser.isSet(options.list) && (modes.size() != 1 || !withList.contains(modes.first()))) {
            print(stderr,
                programName() + QStringLiteral(": --list goes with --open-all, --import, --export or --restore\n")
                    + tryHelp());
            return 2;
        }
        if (modes.size() > 1) {
            print(stderr,
                programName()
                    + QStringLiteral(": %1 cannot be given together\n").arg(modes.join(QStringLiteral(" and ")))
                    + tryHelp());
            return 2;
        }
        return std::nullopt;
    }

    // The saved searches in, out and to the browser need no window: the
    // status of the one asked for.
    std::optional<int> withoutWindow(const QCommandLineParser& parser, const Options& options, int argc, char* argv[])
    {
        if (parser.isSet(options.lists))
            return printLists(userSettingsFile());
        // A list named that the file does not hold ends here, naming those
        // it holds; only an import makes it.
        ChosenList list;
        if (parser.isSet(options.list)) {
            const std::optional<ChosenList> chosen
                = chooseList(userSettingsFile(), parser.value(options.list), parser.isSet(options.importFrom));
            if (!chosen)
                return 2;
            list = *chosen;
        }
        if (parser.isSet(options.exportTo))
            return exportSearches(userSettingsFile(), parser.value(options.exportTo), list);
        if (parser.isSet(options.importFrom))
            return importSearches(userSettingsFile(), parser.value(options.importFrom), list);
        if (parser.isSet(options.listBackups))
            return listSearchBackups(backupFolder(userDataFolder()));
        if (parser.isSet(options.restoreFrom))
            return restoreSearches(
                userSettingsFile(), parser.value(options.restoreFrom), backupFolder(userDataFolder()), list);
        if (parser.isSet(options.openAll))
            return openAllSearches(argc, argv, userSettingsFile(), list);
        if (parser.isSet(options.stopOpening))
            return stopOpeningElsewhere(argc, argv);
        return std::nullopt;
    }

} // namespace

std::optional<int> handleCommandLine(int argc, char* argv[])
{
    QCommandLineParser parser;
    const Options options;
    describe(parser, options);
    if (const std::optional<int> status = unreadable(parser, argc, argv))
        return status;
    if (const std::optional<int> status = answered(parser, options))
        return status;
    if (const std::optional<int> status = clashing(parser, options))
        return status;
    if (const std::optional<int> status = withoutWindow(parser, options, argc, argv))
        return status;
    const QString missing = missingDisplay(parser);
    if (!missing.isEmpty()) {
        print(stderr, QStringLiteral("%1: no display (%2)\n").arg(programName(), missing));
        return 1;
    }
    return std::nullopt;
}

} // namespace quillmoor
