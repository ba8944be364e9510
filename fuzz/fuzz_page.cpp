// Writes a page from arbitrary option values (every settings key, through
// the settings loader) and arbitrary names (file-system bytes), and checks
// that neither ever becomes code: the page has the same tags, script places
// (script elements, "on..." attributes) and style rules as the page of the
// same list with the first-run options, every colour is 1 to 6 hexadecimal
// digits, and every file link, percent-decoded, gives back the path bytes of
// its file or folder.
//
// Input: one byte of switches (toggle, links, hover, border, "print only
// current directory"), then fields separated by 0x1F: one value per
// settings key in key order (as UTF-8), then one field per row, whose first
// byte makes it a folder row (odd) or a file row (even) and whose other
// bytes are the name.
#include "../tests/support/page_markup.h"
#include "../tests/support/recording_option_controls.h"
#include "app/option_table.h"
#include "app/program_state.h"
#include "app/settings_file.h"
#include "output/page_frame.h"
#include "output/page_generator.h"
#include "scan/result_list.h"
#include "scan/scan_counters.h"

#include <QBuffer>
#include <QSet>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr char kSeparator = 0x1F;
constexpr int kMaxRows = 64;

void check(bool condition, const char *what, const QString &detail = {})
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz_page: %s %s\n", what, detail.toUtf8().constData());
    std::abort();
}

void setSwitches(ProgramState &state, uint8_t switches)
{
    state.bgToggle = switches & 1;
    state.bgLink = switches & 2;
    state.bgHover = switches & 4;
    state.bgBorder = switches & 8;
    state.bgRecursive = switches & 32;
    state.bgFileTag = { bool(switches & 64), true, false, false, bool(switches & 128) };
    state.versionText = QStringLiteral("1.12.1128");
}

void setFirstRunStyle(ProgramState &state)
{
    for (const OptionRow &row : OptionTable()) {
        if (QString *field = TextField(state, row))
            *field = FixedFirstRunText(row);
    }
}

QByteArray writePage(const ProgramState &state, const ResultList &list, const QString &folderText,
                     const QString &patternText, bool onlyThisDir)
{
    ScanCounters counters { list.count(), 1.5f, 2, 3 };
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    PageRequest request;
    request.list = &list;
    request.counters = &counters;
    request.state = &state;
    request.folderText = folderText;
    request.patternText = patternText;
    request.onlyThisDir = onlyThisDir;
    request.device = &buffer;
    check(GeneratePage(request).ok, "the page was not written");
    return buffer.data();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t switches = data[0];
    const QList<QByteArray> fields
        = QByteArray(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1))
              .split(kSeparator);

    ProgramState state;
    setFirstRunStyle(state);
    RecordingOptionControls controls(&state);
    const qsizetype keyCount = qsizetype(SettingsFileOptions().size());
    for (int key = 0; key < keyCount && key < fields.size(); ++key)
        ApplySettingsValue(state, controls, key, QString::fromUtf8(fields[key]));
    setSwitches(state, switches);
    const bool onlyThisDir = switches & 16;

    // The listed folder is absolute, as the search makes it.
    QString folderText = controls.optionText(OptionText::DBPathName);
    if (!folderText.startsWith(u'/'))
        folderText.prepend(u'/');
    const QString patternText = controls.optionText(OptionText::EXT);

    ResultList list;
    list.setLocale(QLocale::c());
    QSet<QByteArray> paths; // every path a link may lead to
    paths.insert(ShownListFolder(ListFolderOf(folderText)).toUtf8());
    QList<QByteArray> filePaths;
    QByteArray folder = "/";
    ResultList::Properties properties;
    properties.sizeBytes = 1536;
    for (qsizetype k = keyCount; k < fields.size() && list.count() < kMaxRows; ++k) {
        const QByteArray &field = fields[k];
        const bool folderRow = !field.isEmpty() && (uchar(field[0]) & 1);
        const QByteArray name = field.mid(1);
        if (folderRow) {
            folder = (folder.endsWith('/') ? folder : folder + '/') + name;
            list.addFolderRow(QString::fromUtf8(folder), folder, properties, 1);
            paths.insert(folder);
        } else {
            list.addFileRow(name, folder, properties);
            const QByteArray path = (folder.endsWith('/') ? folder : folder + '/') + name;
            paths.insert(path);
            filePaths << path;
        }
    }

    const QByteArray page = writePage(state, list, folderText, patternText, onlyThisDir);
    const PageMarkup markup(page);
    check(markup.problem().isEmpty(), "the page is not sound:", markup.problem());

    ProgramState defaults;
    setFirstRunStyle(defaults);
    setSwitches(defaults, switches);
    // The filter box is markup and script of the program's own, there or not.
    defaults.bgFilterBox = state.bgFilterBox;
    const PageMarkup defaultMarkup(
        writePage(defaults, list, QStringLiteral("/data"), QStringLiteral("*.*"), onlyThisDir));
    check(defaultMarkup.problem().isEmpty(),
          "the default page is not sound:", defaultMarkup.problem());
    check(markup.shape() == defaultMarkup.shape(),
          "the page's shape differs from the default:", QString::fromLatin1(page.left(4000)));

    QSet<QByteArray> linked;
    for (const QString &link : markup.links()) {
        if (link == u"#" || link == QLatin1StringView(ProgramIdentity::kMakerSite)
            || link == QLatin1StringView(ProgramIdentity::kUpdatePage))
            continue;
        const auto path = PageMarkup::filePath(link);
        check(path.has_value(), "a link a browser reads otherwise:", link);
        check(paths.contains(*path), "a link to no listed path:", link);
        linked.insert(*path);
    }
    if (state.bgLink) {
        for (const QByteArray &path : filePaths)
            check(linked.contains(path), "a file without its link:", QString::fromUtf8(path));
    }
    return 0;
}
