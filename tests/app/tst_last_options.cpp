#undef QT_NO_CAST_FROM_ASCII
#include "app/last_options.h"
#include "app/option_controls.h"
#include "app/preference_store.h"
#include "app/program_state.h"
#include "support/program_options.h"
#include "support/recording_option_controls.h"

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QLocale kEnglish(QLocale::English, QLocale::UnitedStates);

} // namespace

class TestLastOptions : public QObject
{
    Q_OBJECT

    QTemporaryDir m_settingsDir;
    ProgramState m_state;
    PreferenceStore m_store;

    void store(const QString &key, const QString &value)
    {
        m_store.SaveValue(m_state.makerName, m_state.shortName, key, value);
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        InitialiseProgramState(m_state, m_settingsDir.filePath("bin/quorvel"));
    }

    void init() { QSettings(m_state.makerName, m_state.shortName).clear(); }

    void storeKeepsEmptyTextApartFromDefault()
    {
        QCOMPARE(m_store.GetValue("Morbanta", "kiv", "absent", "dflt"), QString("dflt"));
        store("empty", QString());
        QCOMPARE(m_store.GetValue("Morbanta", "kiv", "empty", "dflt"), QString());
        store("odd", " a=b;c\\d ");
        QCOMPARE(m_store.GetValue("Morbanta", "kiv", "odd", "dflt"), QString(" a=b;c\\d "));
    }

    void firstRunGivesDefaults()
    {
        RecordingOptionControls controls(&m_state);
        RestoreLastOptions(m_state, m_store, controls, kEnglish);

        QCOMPARE(controls.texts[OptionText::DBPathName], QString());
        QCOMPARE(controls.texts[OptionText::EXT], "*.*");
        QCOMPARE(
            yesNoOptions(m_state),
            (QList<bool> { true, true, true, false, true, true, true, true, true, true, true }));
        QCOMPARE(textOptions(m_state),
                 (QStringList { "FFFFFF", "FFFFFF", "000000", "eaeaea", "000000", "ffffff",
                                "eaeaea", "eaeaea", "Arial", "8", "9",
                                m_state.programFolder + "animation/spin.avi", "Arial", "8" }));
        // Every box and caption shows its option, set after the option.
        QCOMPARE(controls.fieldAfterControl, QStringList());
        QCOMPARE(controls.checks.size(), size_t(11));
        QCOMPARE(controls.texts[OptionText::Animation], m_state.sgAnimation);
        QCOMPARE(controls.pageFontCaption, "Arial");
        QCOMPARE(controls.listFontPoints, 8.0);
        QCOMPARE(controls.listFontCaption, "Arial, 8");
        // Controls follow the table's order: the path box first, the settings
        // folder (the program folder without its separator) last, then the
        // settings list is refreshed and left without a current entry.
        QVERIFY(
            controls.log.first().startsWith(QString("text %1=").arg(int(OptionText::DBPathName))));
        QCOMPARE(controls.log.mid(controls.log.size() - 3),
                 (QStringList { QString("text %1=%2")
                                    .arg(int(OptionText::SettingsPath))
                                    .arg(m_settingsDir.filePath("bin")),
                                "refresh", "clearCurrent" }));
        QCOMPARE(controls.refreshes, 1);
        QCOMPARE(controls.currentCleared, 1);
    }

    void hoverColourFollowsStoredFolderColour()
    {
        store("sgDirColor", "123456");
        RecordingOptionControls controls;
        RestoreLastOptions(m_state, m_store, controls);
        QCOMPARE(m_state.sgHoverColor, "123456");
        QCOMPARE(controls.texts[OptionText::HoverColor], "123456");
    }

    void emptyListFontSizeBecomes8Comma25()
    {
        store("sgListFontsize", QString());
        RecordingOptionControls controls;
        RestoreLastOptions(m_state, m_store, controls, QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(m_state.sgListFontsize, "8,25");
        QVERIFY(controls.log.contains("listSize 8.25"));
        QCOMPARE(controls.listFontCaption, "Arial, 8,25");

        // Not a number in this locale: the list keeps its size, the text stays.
        RecordingOptionControls english;
        RestoreLastOptions(m_state, m_store, english, kEnglish);
        QCOMPARE(m_state.sgListFontsize, "8,25");
        QVERIFY(!english.log.join(u'\n').contains("listSize"));
    }

    void unreadableYesNoSkipsItsStep_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("before");
        QTest::addColumn<bool>("after");
        QTest::newRow("word leaves false") << QString("maybe") << false << false;
        QTest::newRow("word leaves true") << QString("maybe") << true << true;
        QTest::newRow("lower-case false") << QString("false") << true << false;
    }
    void unreadableYesNoSkipsItsStep()
    {
        QFETCH(QString, stored);
        QFETCH(bool, before);
        QFETCH(bool, after);
        store("bgBorder", stored);
        m_state.bgBorder = before;
        RecordingOptionControls controls;
        RestoreLastOptions(m_state, m_store, controls);
        QCOMPARE(m_state.bgBorder, after);
        QCOMPARE(controls.checks[OptionCheck::Border], after);
    }

    void emptySettingsFolderIsNotListed()
    {
        store("txtSettingsPath", QString());
        RecordingOptionControls controls;
        RestoreLastOptions(m_state, m_store, controls);
        QCOMPARE(controls.texts[OptionText::SettingsPath], QString());
        QCOMPARE(controls.refreshes, 0);
    }

    void saveWritesEveryKeyAndRestoreReadsThemBack()
    {
        // Every option away from its default and unlike every other.
        for (qsizetype i = 0; i < kTextFields.size(); ++i)
            m_state.*kTextFields[i] = QString("v%1").arg(i);
        m_state.bgBorder = m_state.bgRecursive = m_state.bgHover = false;
        m_state.bgToggle = m_state.bgSkipEmptyDir = false;
        m_state.bgLink = true;
        m_state.bgFileTag = { true, false, true, false, true };
        RecordingOptionControls controls;
        controls.texts[OptionText::EXT] = " *.txt ";
        controls.texts[OptionText::DBPathName] = "/data/";
        controls.texts[OptionText::SettingsPath] = "  /settings  ";
        controls.position = { 1500, -30 };
        SaveLastOptions(m_state, m_store, controls);

        QStringList expectedKeys
            = QString("txtEXT txt_DBPathName DESKTOP_LEFT DESKTOP_TOP bgBorder bgRecursive bgLink "
                      "sgBackgroundColor sgGridColor sgTextColor sgFont sgFontSizeFILE "
                      "sgFontSizeDIR sgDirColor sgDirFontColor sgFileColor sgHeaderColor "
                      "bgSkipEmptyDir bgHover sgHoverColor bgToggle sgAnimation sgListFontsize "
                      "sgListFont chkFileTag0 chkFileTag1 chkFileTag2 chkFileTag3 chkFileTag4 "
                      "txtSettingsPath")
                  .split(u' ');
        QSettings stored(m_state.makerName, m_state.shortName);
        QStringList keys = stored.allKeys();
        keys.sort();
        expectedKeys.sort();
        QCOMPARE(keys, expectedKeys);
        QCOMPARE(stored.value("txtEXT").toString(), " *.txt ");
        QCOMPARE(stored.value("DESKTOP_LEFT").toString(), "1500");
        QCOMPARE(stored.value("DESKTOP_TOP").toString(), "-30");
        QCOMPARE(stored.value("bgLink").toString(), "True");
        QCOMPARE(stored.value("chkFileTag1").toString(), "False");
        QCOMPARE(stored.value("sgGridColor").toString(), "v1");
        QCOMPARE(stored.value("txtSettingsPath").toString(), "/settings");

        ProgramState restored;
        InitialiseProgramState(restored, m_settingsDir.filePath("bin/quorvel"));
        RecordingOptionControls again;
        RestoreLastOptions(restored, m_store, again);
        QCOMPARE(textOptions(restored), textOptions(m_state));
        QCOMPARE(yesNoOptions(restored), yesNoOptions(m_state));
        QCOMPARE(again.texts[OptionText::EXT], " *.txt ");
        QCOMPARE(StartPositionTwips(restored, m_store, { 20000, 15000 }, { 12000, 9000 }),
                 QPoint(1500, -30));
    }

    void startPositionCentresWhenNothingIsStored()
    {
        QCOMPARE(StartPositionTwips(m_state, m_store, { 20000, 15000 }, { 12000, 9000 }),
                 QPoint(4000, 3000));
        store("DESKTOP_LEFT", "left");
        QCOMPARE(StartPositionTwips(m_state, m_store, { 20000, 15000 }, { 12000, 9000 }).x(), 4000);
    }
};

QTEST_GUILESS_MAIN(TestLastOptions)
#include "tst_last_options.moc"
