#include "app/program_state.h"

#include "app/program_version.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString VersionText(int major, int minor, int revision)
{
    const QString revisionText = revision == 0 ? QString() : QString::number(revision);
    return QString::number(major) + u'.' + QStringLiteral("%1").arg(minor, 2, 10, QChar(u'0'))
        + u'.' + revisionText;
}

QString ProgramVersionText()
{
    return VersionText(ProgramVersion::kMajor, ProgramVersion::kMinor, ProgramVersion::kRevision);
}

QString WithTrailingSeparator(const QString &folder)
{
    return folder.endsWith(u'/') ? folder : folder + u'/';
}

// Where an installed program's data lies, seen from the program's folder;
// the build's install rules put it there.
static constexpr char kInstalledDataFolder[] = QUORVEL_DATA_FROM_PROGRAM;

QString FindDataFolder(const QString &programFolder)
{
    const QString installed = QDir::cleanPath(WithTrailingSeparator(programFolder)
                                              + QLatin1StringView(kInstalledDataFolder));
    return QFileInfo(installed).isDir() ? WithTrailingSeparator(installed)
                                        : WithTrailingSeparator(programFolder);
}

bool CanWriteInto(const QString &folder)
{
    const QFileInfo info(QDir::cleanPath(folder));
    if (info.exists())
        return info.isDir() && info.isWritable();
    // The folder does not exist yet: it can be made when its parent is writable.
    const QFileInfo parent(info.absolutePath());
    return parent.isDir() && parent.isWritable();
}

// The folder beside the program when it can be written, else the same
// sort of folder in the per-user data folder.
static QString ChooseUserFolder(const QString &beside, QStringView userSubfolder,
                                const std::function<bool(const QString &)> &canWrite)
{
    if (canWrite(beside))
        return beside;
    const QString userData = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return WithTrailingSeparator(userData) + QStringLiteral("quorvel/") + userSubfolder;
}

QString ChooseExportFolder(const QString &programFolder,
                           const std::function<bool(const QString &)> &canWrite)
{
    return ChooseUserFolder(WithTrailingSeparator(programFolder) + QStringLiteral("export/"),
                            u"export/", canWrite);
}

QString ChooseSettingsFolder(const QString &programFolder,
                             const std::function<bool(const QString &)> &canWrite)
{
    return ChooseUserFolder(WithTrailingSeparator(programFolder), u"settings/", canWrite);
}

void InitialiseProgramState(ProgramState &state, const QString &programFilePath)
{
    state.makerName = QStringLiteral("Morbanta");
    state.shortName = QStringLiteral("kiv");
    state.author = QStringLiteral("Dallowin");
    state.productName = QStringLiteral("Quorvel");
    state.programFolder = WithTrailingSeparator(QFileInfo(programFilePath).absolutePath());
    state.dataFolder = FindDataFolder(state.programFolder);
    // An installed program keeps its pages and settings out of the
    // system's program folder, which root could write into.
    const bool installed = state.dataFolder != state.programFolder;
    const auto canWrite
        = [installed](const QString &folder) { return !installed && CanWriteInto(folder); };
    state.exportFolder = ChooseExportFolder(state.programFolder, canWrite);
    state.settingsFolder = ChooseSettingsFolder(state.programFolder, canWrite);
    state.startTime = QDateTime::currentDateTime();
    state.versionText = ProgramVersionText();
    // One line of the info window's text area: short enough to show whole.
    state.creditLine = QStringLiteral("folder trees listed as HTML pages");
}
