#include "cli/list_command.h"

#include "app/last_options.h"
#include "app/program_state.h"
#include "app/settings_file.h"
#include "cli/headless_controls.h"
#include "output/clipboard_text.h"
#include "output/page_generator.h"
#include "output/page_stream.h"
#include "output/page_values.h"
#include "scan/file_system.h"
#include "scan/result_list.h"
#include "scan/scan_counters.h"
#include "scan/search_command.h"

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

constexpr char kUsage[] = R"(Usage: quorvel-list [OPTION]... [FOLDER]
Lists FOLDER (and the folders below it) into a self-contained HTML page, as
the "generate" command of Quorvel does.

  -p, --pattern TEXT    the pattern box text (default "*.*")
  -s, --settings FILE   apply a settings file first, as "use setting" does
                        (its "path" is the folder when FOLDER is not given)
      --set KEY=VALUE   set one settings-file key, e.g. bgToggle=False,
                        sgDirColor=ccddee, bgFileTag0=True; repeatable,
                        applied after --settings; an unknown key is an error
      --full-paths      subfolder rows show full paths ("print only
                        current directory" is ticked by default)
  -o, --output FILE     write here ("-" = standard output); default: the
                        export folder and file name the window would use
                        (for --text: standard output)
      --text            write the clipboard text instead of the page
      --with-files      with --text, include file rows (the "Yes" answer)
      --locale NAME     sizes, dates and type texts in this locale
                        (e.g. de_DE); default: the system's
  -q, --quiet           no progress on standard error
  -h, --help            show this help and exit
      --version         show the version and exit

Options start from the defaults of a first run, not from stored preferences.
Exit status: 0 success; 1 the folder cannot be read or the output cannot be
written; 2 usage error.
)";

constexpr qint64 kProgressIntervalMs = 100;

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

struct Arguments
{
    std::optional<QString> pattern;
    std::optional<QString> settingsFile;
    QStringList sets;
    bool fullPaths = false;
    std::optional<QString> output;
    bool text = false;
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
    Arguments parsed;
    bool optionsEnded = false;
    for (qsizetype k = 0; k < arguments.size(); ++k) {
        QString argument = arguments[k];
        if (optionsEnded || !argument.startsWith(u'-') || argument == QLatin1String("-")) {
            if (parsed.folder)
                return QStringLiteral("only one FOLDER may be given ('%1')").arg(argument);
            parsed.folder = argument;
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        std::optional<QString> attached;
        if (argument.startsWith(QLatin1String("--"))) {
            const qsizetype equals = argument.indexOf(u'=');
            if (equals > 0) {
                attached = argument.mid(equals + 1);
                argument.truncate(equals);
            }
        } else if (argument.size() > 2) {
            // "-pTEXT" and friends.
            attached = argument.mid(2);
            argument.truncate(2);
        }
        const auto value = [&](QString &out) -> bool {
            if (attached) {
                out = *attached;
                return true;
            }
            if (k + 1 >= arguments.size())
                return false;
            out = arguments[++k];
            return true;
        };
        const auto flag = [&](bool &out) -> bool {
            out = true;
            return !attached;
        };
        QString text;
        bool ok = true;
        if (argument == QLatin1String("-p") || argument == QLatin1String("--pattern")) {
            ok = value(text);
            parsed.pattern = text;
        } else if (argument == QLatin1String("-s") || argument == QLatin1String("--settings")) {
            ok = value(text);
            parsed.settingsFile = text;
        } else if (argument == QLatin1String("--set")) {
            ok = value(text);
            parsed.sets.append(text);
        } else if (argument == QLatin1String("-o") || argument == QLatin1String("--output")) {
            ok = value(text);
            parsed.output = text;
        } else if (argument == QLatin1String("--locale")) {
            ok = value(text);
            parsed.locale = text;
        } else if (argument == QLatin1String("--full-paths")) {
            ok = flag(parsed.fullPaths);
        } else if (argument == QLatin1String("--text")) {
            ok = flag(parsed.text);
        } else if (argument == QLatin1String("--with-files")) {
            ok = flag(parsed.withFiles);
        } else if (argument == QLatin1String("-q") || argument == QLatin1String("--quiet")) {
            ok = flag(parsed.quiet);
        } else if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            ok = flag(parsed.help);
        } else if (argument == QLatin1String("--version")) {
            ok = flag(parsed.version);
        } else {
            return QStringLiteral("unknown option '%1'").arg(arguments[k]);
        }
        if (!ok)
            return attached ? QStringLiteral("option '%1' takes no value").arg(argument)
                            : QStringLiteral("option '%1' needs a value").arg(argument);
    }
    if (parsed.withFiles && !parsed.text)
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

} // namespace

int RunListCommand(const QStringList &arguments)
{
    const auto parsedOrError = parseArguments(arguments);
    if (const auto *error = std::get_if<QString>(&parsedOrError))
        return usageError(*error);
    const Arguments &args = std::get<Arguments>(parsedOrError);
    if (args.help) {
        std::fputs(kUsage, stdout);
        return ListCommand::kSuccess;
    }
    if (args.version) {
        std::printf("quorvel-list %s\n", qPrintable(QCoreApplication::applicationVersion()));
        return ListCommand::kSuccess;
    }

    QLocale locale = QLocale::system();
    if (args.locale) {
        locale = QLocale(*args.locale);
        const bool isC = args.locale->compare(QLatin1String("C"), Qt::CaseInsensitive) == 0
            || args.locale->startsWith(QLatin1String("C."), Qt::CaseInsensitive);
        if (locale.language() == QLocale::C && !isC)
            return usageError(QStringLiteral("unknown locale '%1'").arg(*args.locale));
    }
    QLocale::setDefault(locale);

    ProgramState state;
    InitialiseProgramState(state, QCoreApplication::applicationFilePath());
    HeadlessControls controls;
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

    QString folder = args.folder.value_or(controls.optionText(OptionText::DBPathName).trimmed());
    if (folder.isEmpty())
        return usageError(QStringLiteral("no FOLDER given"));
    folder = QDir::cleanPath(QDir::current().absoluteFilePath(folder));
    const QFileInfo folderInfo(folder);
    if (!folderInfo.isDir() || !QDir(folder).isReadable()) {
        printError(QStringLiteral("cannot read folder %1").arg(folder));
        return ListCommand::kFailure;
    }

    const bool showProgress = !args.quiet && isatty(STDERR_FILENO);
    ProgressLine progress(showProgress);

    // The search command, with the folder as the picker's answer.
    const bool onlyThisDir = !args.fullPaths;
    ResultList list;
    list.setLocale(locale);
    ScanCounters counters;
    int currentItem = -1;
    QString pathBoxText;
    const QString patternText = controls.optionText(OptionText::EXT);
    SearchSteps steps;
    steps.browseForFolder = [&] { return folder; };
    steps.scan.onlyThisDir = [onlyThisDir] { return onlyThisDir; };
    const auto scanned = [&] {
        return QStringLiteral("scanned: %1 folders, %2 files")
            .arg(counters.SearchedFolderCount)
            .arg(counters.FileCount);
    };
    steps.scan.yield = [&] { progress.show(scanned); };
    RunSearch(state, list, counters, currentItem, pathBoxText, patternText, steps);
    progress.show(scanned, true);

    // Standard output is written through its descriptor; a path through
    // the rules of PageStream (a pipe or a device directly, a file atomically).
    const bool toStandardOutput = args.output ? *args.output == QLatin1String("-") : args.text;
    const QString outputPath = args.output && !toStandardOutput
        ? QDir::current().absoluteFilePath(*args.output)
        : QString();
    const auto outputFailed = [](const QString &target, const QString &reason) {
        printError(QStringLiteral("cannot write %1: %2").arg(target, reason));
        return ListCommand::kFailure;
    };

    if (args.text) {
        std::array<bool, 5> tags {};
        for (int i = 0; i < 5; ++i)
            tags[size_t(i)] = controls.optionCheck(FileTagCheck(i));
        const auto stream = toStandardOutput
            ? std::make_unique<PageStream>(PageStream::OpenDescriptor { STDOUT_FILENO })
            : std::make_unique<PageStream>(outputPath, PageStream::SpecialFiles::WriteDirectly);
        const QString target = toStandardOutput ? QStringLiteral("standard output") : outputPath;
        if (!stream->open())
            return outputFailed(target, stream->errorString());
        // The text goes out in blocks as it is made, so a million rows are
        // never held as one text.
        WriteClipboardText(
            list, pathBoxText, args.withFiles, tags,
            [&](const QString &piece) {
                stream->buffer() += piece.toUtf8();
                stream->flushIfFull();
            },
            [&](int percent) {
                progress.show([percent] { return QStringLiteral("writing: %1%").arg(percent); },
                              percent == 100);
            });
        progress.finish();
        if (!stream->commit())
            return outputFailed(target, stream->errorString());
        return ListCommand::kSuccess;
    }

    PageRequest request;
    request.list = &list;
    request.counters = &counters;
    request.state = &state;
    request.folderText = pathBoxText;
    request.patternText = patternText;
    request.onlyThisDir = onlyThisDir;
    request.fileSystem = &SharedFileSystem(state);
    if (toStandardOutput)
        request.outputDescriptor = STDOUT_FILENO;
    else
        request.outputPath = outputPath;
    request.writeSpecialFiles = true;
    request.progress = [&](int percent) {
        progress.show([percent] { return QStringLiteral("writing: %1%").arg(percent); },
                      percent == 100);
    };
    // The page writes a value it cannot hold as the option's first-run default.
    for (const ReplacedOption &option : ReplacedPageOptions(state)) {
        QString value = option.value;
        for (QChar &c : value) {
            if (c.category() == QChar::Other_Control)
                c = u'?'; // one line per option
        }
        printError(QStringLiteral("%1='%2' is not a valid value; the page uses the default '%3'")
                       .arg(option.key, value, option.written));
    }
    state.bgCancel = false;
    const PageResult result = GeneratePage(request);
    progress.finish();
    if (!result.ok) {
        const QString target = toStandardOutput ? QStringLiteral("standard output") : result.path;
        return outputFailed(target, result.reason);
    }
    if (showProgress && !toStandardOutput)
        printError(QStringLiteral("list ready: %1").arg(result.path));
    return ListCommand::kSuccess;
}
