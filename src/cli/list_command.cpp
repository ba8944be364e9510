#include "cli/list_command.h"

#include "app/last_options.h"
#include "app/option_table.h"
#include "app/program_state.h"
#include "app/settings_file.h"
#include "cli/headless_controls.h"
#include "core/exclude_list.h"
#include "output/clipboard_text.h"
#include "output/listing_records.h"
#include "output/page_generator.h"
#include "output/page_stream.h"
#include "output/page_values.h"
#include "scan/posix_file_system.h"
#include "scan/result_list.h"
#include "scan/scan_counters.h"
#include "scan/search_command.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>
#include <memory>
#include <optional>
#include <unistd.h>
#include <variant>

namespace {

// One option of the command line, as --help shows it. The parser and the
// help text are both made from the table below.
struct OptionSpec
{
    const char *shortName; // empty: none
    const char *longName;
    const char *valueName; // empty: a switch
    const char *description; // further lines are indented under the first
};

constexpr OptionSpec kOptions[] = {
    { "p", "pattern", "TEXT", "the pattern box text (default \"*.*\")" },
    { "", "exclude", "PATTERN",
      "leave out folders and files whose whole name\n"
      "matches PATTERN (wildcards as in --pattern, any\n"
      "letter case; \";\" separates patterns); repeatable,\n"
      "added to the settings file's sgExclude" },
    { "s", "settings", "FILE",
      "apply a settings file first, as \"use setting\" does\n"
      "(its \"path\" is the folder when FOLDER is not given)" },
    { "", "set", "KEY=VALUE",
      "set one settings-file key, e.g. bgToggle=False,\n"
      "sgDirColor=ccddee, bgFileTag0=True; repeatable,\n"
      "applied after --settings; an unknown key is an error" },
    { "", "full-paths", "",
      "subfolder rows show full paths (\"print only\n"
      "current directory\" is ticked by default)" },
    { "o", "output", "FILE",
      "write here (\"-\" = standard output); default: the\n"
      "export folder and file name the window would use\n"
      "(for text, csv and jsonl: standard output)" },
    { "", "text", "", "write the clipboard text instead of the page" },
    { "", "format", "FORMAT",
      "page (the default), text (as --text), or csv or\n"
      "jsonl: one record per folder and file row, for\n"
      "scripts" },
    { "", "with-files", "", "with --text, include file rows (the \"Yes\" answer)" },
    { "", "locale", "NAME",
      "sizes, dates and type texts in this locale\n"
      "(e.g. de_DE); default: the system's" },
    { "q", "quiet", "", "no progress on standard error" },
    { "h", "help", "", "show this help and exit" },
    { "", "version", "", "show the version and exit" },
};

constexpr char kHelpHead[] = R"(Usage: quorvel-list [OPTION]... [FOLDER]
Lists FOLDER (and the folders below it) into a self-contained HTML page, as
the "generate" command of Quorvel does, or into CSV or JSON Lines records.

)";
constexpr char kHelpTail[] = R"(
Options start from the defaults of a first run, not from stored preferences.
Exit status: 0 success; 1 the folder cannot be read or the output cannot be
written; 2 usage error.
)";
// Where the descriptions of the options start in the help text.
constexpr qsizetype kDescriptionColumn = 24;

constexpr qint64 kProgressIntervalMs = 100;

QString helpText()
{
    const QString nextLine = u'\n' + QString(kDescriptionColumn, u' ');
    QString text = QLatin1StringView(kHelpHead);
    for (const OptionSpec &option : kOptions) {
        QString names = *option.shortName
            ? QStringLiteral("  -%1, --%2")
                  .arg(QLatin1StringView(option.shortName), QLatin1StringView(option.longName))
            : QStringLiteral("      --%1").arg(QLatin1StringView(option.longName));
        if (*option.valueName)
            names += u' ' + QLatin1StringView(option.valueName);
        text += names.leftJustified(kDescriptionColumn - 1) + u' '
            + QString(QLatin1StringView(option.description)).replace(u'\n', nextLine) + u'\n';
    }
    return text + QLatin1StringView(kHelpTail);
}

void printError(const QString &line)
{
    const QByteArray bytes = QStringLiteral("quorvel-list: %1\n").arg(line).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

int usageError(const QString &line)
{
    printError(line);
    std::fputs("Try 'quorvel-list --help' for more information.\n", stderr);
    return ListCommand::kUsageError;
}

enum class OutputFormat { Page, Text, Csv, JsonLines };

// The format --format names; nullopt for an unknown name.
std::optional<OutputFormat> formatNamed(const QString &name)
{
    static const std::pair<QLatin1StringView, OutputFormat> kFormats[] {
        { QLatin1StringView("page"), OutputFormat::Page },
        { QLatin1StringView("text"), OutputFormat::Text },
        { QLatin1StringView("csv"), OutputFormat::Csv },
        { QLatin1StringView("jsonl"), OutputFormat::JsonLines },
    };
    for (const auto &[formatName, format] : kFormats) {
        if (name == formatName)
            return format;
    }
    return std::nullopt;
}

struct Arguments
{
    std::optional<QString> pattern;
    QStringList excludes;
    std::optional<QString> settingsFile;
    QStringList sets;
    bool fullPaths = false;
    std::optional<QString> output;
    OutputFormat format = OutputFormat::Page;
    bool withFiles = false;
    std::optional<QString> locale;
    bool quiet = false;
    bool help = false;
    bool version = false;
    std::optional<QString> folder;
};

// Parses the arguments; a text is the usage error to report.
std::variant<Arguments, QString> parseArguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    for (const OptionSpec &option : kOptions) {
        QStringList names { QLatin1StringView(option.longName) };
        if (*option.shortName)
            names.prepend(QLatin1StringView(option.shortName));
        parser.addOption(QCommandLineOption(names, QString(), QLatin1StringView(option.valueName)));
    }
    // The parser takes the program's name first.
    if (!parser.parse(QStringList { QStringLiteral("quorvel-list") } + arguments))
        return parser.errorText();

    const auto valueOf = [&parser](const char *name) -> std::optional<QString> {
        const QString option = QLatin1StringView(name);
        return parser.isSet(option) ? std::optional(parser.value(option)) : std::nullopt;
    };
    const auto isSet
        = [&parser](const char *name) { return parser.isSet(QLatin1StringView(name)); };
    Arguments parsed;
    parsed.pattern = valueOf("pattern");
    parsed.excludes = parser.values(QStringLiteral("exclude"));
    parsed.settingsFile = valueOf("settings");
    parsed.sets = parser.values(QStringLiteral("set"));
    parsed.fullPaths = isSet("full-paths");
    parsed.output = valueOf("output");
    if (const auto format = valueOf("format")) {
        const auto named = formatNamed(*format);
        if (!named)
            return QStringLiteral("unknown format '%1' (page, text, csv or jsonl)").arg(*format);
        parsed.format = *named;
    }
    if (isSet("text")) {
        if (parsed.format != OutputFormat::Page && parsed.format != OutputFormat::Text)
            return QStringLiteral("--text cannot be combined with --format %1")
                .arg(parser.value(QStringLiteral("format")));
        parsed.format = OutputFormat::Text;
    }
    parsed.withFiles = isSet("with-files");
    parsed.locale = valueOf("locale");
    parsed.quiet = isSet("quiet");
    parsed.help = isSet("help");
    parsed.version = isSet("version");
    const QStringList folders = parser.positionalArguments();
    if (folders.size() > 1)
        return QStringLiteral("only one FOLDER may be given ('%1')").arg(folders[1]);
    if (!folders.isEmpty())
        parsed.folder = folders.first();
    if (parsed.withFiles && parsed.format != OutputFormat::Text)
        return QStringLiteral("--with-files is only used with --text");
    return parsed;
}

// Progress on standard error, at most every kProgressIntervalMs.
class ProgressLine
{
public:
    explicit ProgressLine(bool enabled)
        : m_enabled(enabled)
    {
        m_clock.start();
    }
    ~ProgressLine() { finish(); }

    // text() is only asked for when the line is due.
    template<typename Text> void show(const Text &text, bool force = false)
    {
        if (!m_enabled || (!force && m_clock.elapsed() < kProgressIntervalMs))
            return;
        m_clock.restart();
        const QByteArray bytes = QStringLiteral("\r%1\x1b[K").arg(text()).toLocal8Bit();
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
        std::fflush(stderr);
        m_shown = true;
    }
    void showWriting(int percent)
    {
        show([percent] { return QStringLiteral("writing: %1%").arg(percent); }, percent == 100);
    }
    void finish()
    {
        if (m_shown)
            std::fputs("\n", stderr);
        m_shown = false;
    }

private:
    bool m_enabled;
    bool m_shown = false;
    QElapsedTimer m_clock;
};

// The locale that --locale names, or the system's; nullopt for a name that
// is no locale (anything Qt reads as "C" without being called so).
std::optional<QLocale> chooseLocale(const std::optional<QString> &name)
{
    if (!name)
        return QLocale::system();
    const QLocale locale(*name);
    const bool isC = name->compare(QLatin1String("C"), Qt::CaseInsensitive) == 0
        || name->startsWith(QLatin1String("C."), Qt::CaseInsensitive);
    if (locale.language() == QLocale::C && !isC)
        return std::nullopt;
    return locale;
}

// The options as a first run has them, then the settings file, the --set
// keys and the pattern. Returns the exit status when one of them fails.
int applyOptions(const Arguments &args, const QLocale &locale, ProgramState &state,
                 HeadlessControls &controls)
{
    ApplyFirstRunOptions(state, controls, locale);
    if (args.settingsFile) {
        const QFileInfo settings(*args.settingsFile);
        if (!settings.isFile() || !settings.isReadable()) {
            printError(QStringLiteral("cannot read settings file %1").arg(*args.settingsFile));
            return ListCommand::kFailure;
        }
        ApplySettingsFile(state, controls, settings.absoluteFilePath(), locale);
    }
    for (const QString &set : args.sets) {
        const qsizetype equals = set.indexOf(u'=');
        if (equals <= 0)
            return usageError(QStringLiteral("--set needs KEY=VALUE, not '%1'").arg(set));
        const auto index = FindSettingsKey(QStringView(set).left(equals));
        if (!index)
            return usageError(QStringLiteral("unknown settings key '%1'").arg(set.left(equals)));
        ApplySettingsValue(state, controls, *index, set.mid(equals + 1), locale);
    }
    if (args.pattern)
        controls.setOptionText(OptionText::EXT, *args.pattern);
    if (!args.excludes.isEmpty()) {
        QStringList patterns = ExcludeList::split(state.sgExclude);
        for (const QString &given : args.excludes) {
            const QStringList more = ExcludeList::split(given);
            if (more.isEmpty())
                return usageError(QStringLiteral("--exclude needs a pattern"));
            for (const QString &pattern : more) {
                if (!ExcludeList(pattern).unreadable().isEmpty())
                    return usageError(
                        QStringLiteral("cannot read the exclude pattern '%1'").arg(pattern));
            }
            patterns += more;
        }
        LoadOptionValue(state, controls, OptionOf(OptionText::Exclude),
                        ExcludeList::join(patterns));
    }
    return ListCommand::kSuccess;
}

// Exclude patterns from a settings file or --set that cannot be read leave
// out nothing; standard error names each.
void reportUnreadableExcludes(const ProgramState &state)
{
    const ExcludeList excludes(state.sgExclude);
    for (const QString &pattern : excludes.unreadable())
        printError(QStringLiteral("cannot read the exclude pattern '%1'; it leaves out nothing")
                       .arg(pattern));
}

// The folder to list: FOLDER, else the settings file's path, made absolute.
struct FolderChoice
{
    QString path;
    int exitStatus = ListCommand::kSuccess;
};

FolderChoice chooseFolder(const Arguments &args, const HeadlessControls &controls)
{
    const QString given
        = args.folder.value_or(controls.optionText(OptionText::DBPathName).trimmed());
    if (given.isEmpty())
        return { {}, usageError(QStringLiteral("no FOLDER given")) };
    const QString folder = QDir::cleanPath(QDir::current().absoluteFilePath(given));
    if (!QFileInfo(folder).isDir() || !QDir(folder).isReadable()) {
        printError(QStringLiteral("cannot read folder %1").arg(folder));
        return { folder, ListCommand::kFailure };
    }
    return { folder, ListCommand::kSuccess };
}

// What the search leaves for the writers.
struct Listing
{
    ResultList list;
    ScanCounters counters;
    QString folderText; // the path box after the search
    QString patternText; // the pattern box
    bool onlyThisDir = true;
};

// The search command, with the folder as the picker's answer.
void searchFolder(ProgramState &state, const FileSystem &fileSystem, const QString &folder,
                  Listing &listing, ProgressLine &progress)
{
    int currentItem = -1;
    SearchSteps steps;
    steps.browseForFolder = [&folder] { return folder; };
    steps.scan.onlyThisDir = [&listing] { return listing.onlyThisDir; };
    const auto scanned = [&listing] {
        return QStringLiteral("scanned: %1 folders, %2 files")
            .arg(listing.counters.SearchedFolderCount)
            .arg(listing.counters.FileCount);
    };
    steps.scan.yield = [&] { progress.show(scanned); };
    const SearchContext search { fileSystem, state.bgCancel, state.bgRecursive,
                                 state.bgSkipEmptyDir, state.sgExclude };
    RunSearch(search, listing.list, listing.counters, currentItem, listing.folderText,
              listing.patternText, steps);
    progress.show(scanned, true);
}

// Where the output goes: standard output through its descriptor, or a path
// written by the rules of PageStream (a pipe or a device directly, a file
// atomically). An empty path is the page's own place in the export folder.
struct OutputTarget
{
    bool standardOutput = false;
    QString path;

    [[nodiscard]] QString name() const
    {
        return standardOutput ? QStringLiteral("standard output") : path;
    }
};

OutputTarget chooseOutput(const Arguments &args)
{
    OutputTarget target;
    target.standardOutput
        = args.output ? *args.output == QLatin1String("-") : args.format != OutputFormat::Page;
    if (args.output && !target.standardOutput)
        target.path = QDir::current().absoluteFilePath(*args.output);
    return target;
}

int outputFailed(const QString &target, const QString &reason)
{
    printError(QStringLiteral("cannot write %1: %2").arg(target, reason));
    return ListCommand::kFailure;
}

// The stream of an output that is not the page.
std::unique_ptr<PageStream> streamTo(const OutputTarget &target)
{
    return target.standardOutput
        ? std::make_unique<PageStream>(PageStream::OpenDescriptor { STDOUT_FILENO })
        : std::make_unique<PageStream>(target.path, PageStream::SpecialFiles::WriteDirectly);
}

// The clipboard text, written in blocks as it is made, so a million rows are
// never held as one text.
int writeText(const Listing &listing, const HeadlessControls &controls, bool withFiles,
              const OutputTarget &target, ProgressLine &progress)
{
    std::array<bool, 5> tags {};
    for (int i = 0; i < 5; ++i)
        tags[size_t(i)] = controls.optionCheck(FileTagCheck(i));
    const auto stream = streamTo(target);
    if (!stream->open())
        return outputFailed(target.name(), stream->errorString());
    WriteClipboardText(
        listing.list, listing.folderText, withFiles, tags,
        [&stream](const QString &piece) {
            stream->buffer() += piece.toUtf8();
            stream->flushIfFull();
        },
        [&progress](int percent) { progress.showWriting(percent); });
    progress.finish();
    if (!stream->commit())
        return outputFailed(target.name(), stream->errorString());
    return ListCommand::kSuccess;
}

// The records for scripts, written in blocks as they are made.
int writeRecords(const Listing &listing, RecordFormat format, const OutputTarget &target,
                 ProgressLine &progress)
{
    const auto stream = streamTo(target);
    if (!stream->open())
        return outputFailed(target.name(), stream->errorString());
    WriteListingRecords(listing.list, format, *stream,
                        [&progress](int percent) { progress.showWriting(percent); });
    progress.finish();
    if (!stream->commit())
        return outputFailed(target.name(), stream->errorString());
    return ListCommand::kSuccess;
}

// The page writes a value it cannot hold as the option's first-run default;
// standard error names each such option in one line.
void reportReplacedOptions(const ProgramState &state)
{
    for (const ReplacedOption &option : ReplacedPageOptions(state)) {
        QString value = option.value;
        for (QChar &c : value) {
            if (c.category() == QChar::Other_Control)
                c = u'?'; // one line per option
        }
        printError(QStringLiteral("%1='%2' is not a valid value; the page uses the default '%3'")
                       .arg(option.key, value, option.written));
    }
}

// The generate command.
int writePage(ProgramState &state, FileSystem &fileSystem, const Listing &listing,
              const OutputTarget &target, ProgressLine &progress, bool announcePath)
{
    PageRequest request;
    request.list = &listing.list;
    request.counters = &listing.counters;
    request.state = &state;
    request.folderText = listing.folderText;
    request.patternText = listing.patternText;
    request.onlyThisDir = listing.onlyThisDir;
    request.fileSystem = &fileSystem;
    if (target.standardOutput)
        request.outputDescriptor = STDOUT_FILENO;
    else
        request.outputPath = target.path;
    request.writeSpecialFiles = true;
    request.progress = [&progress](int percent) { progress.showWriting(percent); };
    reportReplacedOptions(state);
    state.bgCancel = false;
    const PageResult result = GeneratePage(request);
    progress.finish();
    if (!result.ok)
        return outputFailed(target.standardOutput ? target.name() : result.path, result.reason);
    if (announcePath && !target.standardOutput)
        printError(QStringLiteral("list ready: %1").arg(result.path));
    return ListCommand::kSuccess;
}

} // namespace

int RunListCommand(const QStringList &arguments)
{
    const auto parsedOrError = parseArguments(arguments);
    if (const auto *error = std::get_if<QString>(&parsedOrError))
        return usageError(*error);
    const Arguments &args = std::get<Arguments>(parsedOrError);
    if (args.help) {
        std::fputs(qPrintable(helpText()), stdout);
        return ListCommand::kSuccess;
    }
    if (args.version) {
        std::printf("quorvel-list %s\n", qPrintable(QCoreApplication::applicationVersion()));
        return ListCommand::kSuccess;
    }

    const std::optional<QLocale> locale = chooseLocale(args.locale);
    if (!locale)
        return usageError(QStringLiteral("unknown locale '%1'").arg(*args.locale));
    QLocale::setDefault(*locale);

    ProgramState state;
    InitialiseProgramState(state, QCoreApplication::applicationFilePath());
    HeadlessControls controls;
    if (const int status = applyOptions(args, *locale, state, controls);
        status != ListCommand::kSuccess)
        return status;
    const FolderChoice folder = chooseFolder(args, controls);
    if (folder.exitStatus != ListCommand::kSuccess)
        return folder.exitStatus;
    reportUnreadableExcludes(state);

    const bool showProgress = !args.quiet && isatty(STDERR_FILENO);
    ProgressLine progress(showProgress);
    Listing listing;
    listing.list.setLocale(*locale);
    listing.patternText = controls.optionText(OptionText::EXT);
    listing.onlyThisDir = !args.fullPaths;
    PosixFileSystem fileSystem;
    searchFolder(state, fileSystem, folder.path, listing, progress);

    const OutputTarget target = chooseOutput(args);
    switch (args.format) {
    case OutputFormat::Text:
        return writeText(listing, controls, args.withFiles, target, progress);
    case OutputFormat::Csv:
        return writeRecords(listing, RecordFormat::Csv, target, progress);
    case OutputFormat::JsonLines:
        return writeRecords(listing, RecordFormat::JsonLines, target, progress);
    case OutputFormat::Page:
        break;
    }
    return writePage(state, fileSystem, listing, target, progress, showProgress);
}
