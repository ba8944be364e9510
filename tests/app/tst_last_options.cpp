#include "app/last_options.h"
#include "app/preference_store.h"
#include "app/program_state.h"
#include "support/recording_option_controls.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestLastOptions : public QObject
{
    Q_OBJECT

    QTemporaryDir m_settingsDir;
    ProgramState m_state;
    PreferenceStore m_store;
    static constexpr QSize kScreen { 20000, 15000 }, kWindow { 12000, 9000 };

    void store(const QString &key, const QString &value)
    {
        m_store.SaveValue(m_state.makerName, m_state.shortName, key, value);
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        InitialiseProgramState(m_state, m_settingsDir.filePath(QStringLiteral("bin/quorvel")));
    }

    void init() { QSettings(m_state.makerName, m_state.shortName).clear(); }

    void firstRun()
    {
        RecordingOptionControls controls(&m_state);
        RestoreLastOptions(m_state, m_store, controls, QLocale(QLocale::English));
        QCOMPARE(StartPositionTwips(m_state, m_store, kScreen, kWindow), QPoint(4000, 3000));
        // Controls after their options; the program folder as settings folder last.
        QCOMPARE(controls.fieldAfterControl, QStringList());
        const QString folder = QStringLiteral("text %1=").arg(int(OptionText::SettingsPath));
        QCOMPARE(controls.log.mid(controls.log.size() - 3),
                 (QStringList { folder + m_settingsDir.filePath(QStringLiteral("bin")),
                                QStringLiteral("refresh"), QStringLiteral("clearCurrent") }));

        // An installed program lists the settings files of the user's data folder.
        QTemporaryDir prefix;
        QVERIFY(QDir(prefix.path()).mkpath(QStringLiteral("share/quorvel")));
        ProgramState installed;
        InitialiseProgramState(installed, prefix.filePath(QStringLiteral("bin/quorvel")));
        RecordingOptionControls installedControls;
        RestoreLastOptions(installed, m_store, installedControls);
        QCOMPARE(installedControls.texts[OptionText::SettingsPath],
                 QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
                     + QStringLiteral("/quorvel/settings"));
    }

    // A yes/no word skips its one step, the hover colour follows the folder colour,
    // an empty list font size becomes "8,25" and a left edge that is no number centres.
    void storedValuesNeedingCare()
    {
        for (const QString &key : { QStringLiteral("bgBorder"), QStringLiteral("bgLink") })
            store(key, QStringLiteral("maybe"));
        store(QStringLiteral("bgRecursive"), QStringLiteral("false"));
        store(QStringLiteral("sgDirColor"), QStringLiteral("123456"));
        store(QStringLiteral("sgListFontsize"), QString());
        store(QStringLiteral("DESKTOP_LEFT"), QStringLiteral("left"));
        m_state.bgBorder = m_state.bgRecursive = true;
        m_state.bgLink = false;
        RecordingOptionControls controls;
        RestoreLastOptions(m_state, m_store, controls, QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE((QList<bool> { m_state.bgBorder, controls.checks[OptionCheck::Border],
                                m_state.bgLink, controls.checks[OptionCheck::Link],
                                m_state.bgRecursive, controls.checks[OptionCheck::Recursive] }),
                 (QList<bool> { true, true, false, false, false, false }));
        QCOMPARE(m_state.sgHoverColor, QStringLiteral("123456"));
        QCOMPARE(controls.texts[OptionText::HoverColor], QStringLiteral("123456"));
        QCOMPARE(m_state.sgListFontsize, QStringLiteral("8,25"));
        QVERIFY(controls.log.contains(QStringLiteral("listSize 8.25")));
        QCOMPARE(controls.listFontCaption, QStringLiteral("Arial, 8,25"));
        QCOMPARE(StartPositionTwips(m_state, m_store, kScreen, kWindow).x(), 4000);

        // Not a number in this locale: the list keeps its size, the text stays.
        RecordingOptionControls english;
        RestoreLastOptions(m_state, m_store, english, QLocale(QLocale::English));
        QCOMPARE(m_state.sgListFontsize, QStringLiteral("8,25"));
        QVERIFY(!english.log.join(u'\n').contains(QStringLiteral("listSize")));
    }

    // A store written by a program without exclude lists gets no key for
    // them while the list is empty; a store that holds one is kept in step.
    void excludeListStoredWhenSet()
    {
        RecordingOptionControls controls(&m_state);
        RestoreLastOptions(m_state, m_store, controls);
        const auto stored = [this] {
            return QSettings(m_state.makerName, m_state.shortName)
                .value(QStringLiteral("sgExclude"));
        };
        SaveLastOptions(m_state, m_store, controls);
        QVERIFY(!stored().isValid());
        QVERIFY(QSettings(m_state.makerName, m_state.shortName).contains(QStringLiteral("txtEXT")));

        m_state.sgExclude = QStringLiteral(".git;*.o");
        SaveLastOptions(m_state, m_store, controls);
        QCOMPARE(stored().toString(), m_state.sgExclude);
        RecordingOptionControls next(&m_state);
        m_state.sgExclude.clear();
        RestoreLastOptions(m_state, m_store, next);
        QCOMPARE(m_state.sgExclude, QStringLiteral(".git;*.o"));
        QCOMPARE(next.texts[OptionText::Exclude], m_state.sgExclude);

        m_state.sgExclude.clear();
        SaveLastOptions(m_state, m_store, controls);
        QCOMPARE(stored().toString(), QString());
    }
};

QTEST_GUILESS_MAIN(TestLastOptions)
#include "tst_last_options.moc"
