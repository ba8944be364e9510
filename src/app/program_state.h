#pragma once

#include <QDateTime>
#include <QString>

#include <array>
#include <atomic>
#include <functional>

// The program-wide record: identity texts, folders, start time, version text,
// every option of the page and the search, and the shared cancel flag. Option
// field names are also their keys in the preference store and settings files.
struct ProgramState
{
    ProgramState() = default;
    Q_DISABLE_COPY_MOVE(ProgramState)

    // Identity and folders, set once by InitialiseProgramState.
    QString makerName;
    QString shortName;
    QString author;
    QString productName;
    QString programFolder; // always ends in the separator
    QString dataFolder; // the program's own files (the default clip); ends in the separator
    QString exportFolder; // always ends in the separator
    QString settingsFolder; // the first run's settings folder; ends in the separator
    QDateTime startTime;
    QString versionText;
    QString creditLine;

    // Options.
    bool bgBorder = false;
    bool bgRecursive = false;
    bool bgSkipEmptyDir = false;
    bool bgLink = false;
    std::array<bool, 5> bgFileTag {}; // size, type, created, changed, attributes
    bool bgHover = false;
    bool bgToggle = false;
    bool bgFilterBox = false; // a filter box above the page's list
    QString sgBackgroundColor;
    QString sgGridColor;
    QString sgTextColor;
    QString sgDirColor;
    QString sgDirFontColor;
    QString sgFileColor;
    QString sgHeaderColor;
    QString sgHoverColor;
    QString sgFont;
    QString sgFontSizeFILE;
    QString sgFontSizeDIR;
    QString sgAnimation;
    QString sgListFont;
    QString sgListFontsize;
    QString sgExclude; // names the search leaves out, patterns separated by ";"

    // Run time. The cancel flag is atomic because a scan runs on threads of
    // its own that poll it.
    std::atomic<bool> bgCancel { false };
};

namespace ProgramIdentity {
inline constexpr char kMakerDomain[] = "quorvel.morbanta.example";
inline constexpr char kMakerSite[] = "https://quorvel.morbanta.example/";
inline constexpr char kUpdatePage[] = "https://quorvel.morbanta.example/kiv-update/";
inline constexpr char kAuthorMail[] = "dallowin@morbanta.example";
} // namespace ProgramIdentity

// "1.12.1128"; the minor number has at least two digits and a zero revision
// is left out ("1.05.").
[[nodiscard]] QString VersionText(int major, int minor, int revision);

// The version text of this build ("1.12.1128").
[[nodiscard]] QString ProgramVersionText();

// The window-free steps of loading the main window: identity texts, program,
// data and export folders, start time, version text and credit line. The
// program folder is the folder of programFilePath.
void InitialiseProgramState(ProgramState &state, const QString &programFilePath);

// The folder that holds the files that come with the program: the installed
// data folder (share/quorvel beside the program's bin folder) when it exists,
// else the program folder itself, as in the build tree.
[[nodiscard]] QString FindDataFolder(const QString &programFolder);

// Whether a folder can be written, or made because its parent can be.
[[nodiscard]] bool CanWriteInto(const QString &folder);

// programFolder + "export/" when canWrite says that can be written, else
// "quorvel/export/" in the per-user data folder (~/.local/share), which the
// window and quorvel-list share.
[[nodiscard]] QString ChooseExportFolder(const QString &programFolder,
                                         const std::function<bool(const QString &)> &canWrite
                                         = CanWriteInto);

// programFolder when canWrite says that can be written, else
// "quorvel/settings/" in the per-user data folder.
[[nodiscard]] QString ChooseSettingsFolder(const QString &programFolder,
                                           const std::function<bool(const QString &)> &canWrite
                                           = CanWriteInto);

// Appends the separator unless the text already ends in one.
[[nodiscard]] QString WithTrailingSeparator(const QString &folder);
