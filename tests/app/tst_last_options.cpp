#include "app/last_options.h"
#include "app/option_controls.h"
#include "app/preference_store.h"
#include "app/program_state.h"

#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <map>

namespace {

// Records what loading options did to the window's controls, in order.
class RecordingControls : public OptionControls
{
public:
    void setOptionText(OptionText box, const QString &text) override
    {
        texts[box] = text;
        calls << u"text:"_qs + QString::number(int(box));
    }
    QString optionText(OptionText box) const override
    {
        const auto it = texts.find(box);
        return it == texts.end() ? QString() : it->second;
    }
    void setOptionCheck(OptionCheck box, bool ticked) override
    {
        checks[box] = ticked;
        calls << u"check:"_qs + QString::number(int(box));
    }
    void showPageFont(const QString &face) override { pageFont = face; }
    void setListFontFace(const QString &face) override { listFace = face; }
    void setListFontSize(double points) override
    {
        listSize = points;
        ++listSizeCalls;
    }
    void setListFontCaption(const QString &caption) override { listCaption = caption; }
    QPoint windowPositionTwips() const override { return position; }
    void moveWindowTwips(std::optional<int> left, std::optional<int> top) override
    {
        position = { left.value_or(position.x()), top.value_or(position.y()) };
    }
    void refreshSettingsList() override { ++refreshes; }
    void clearCurrentSettingsEntry() override { ++clearedCurrent; }

    std::map<OptionText, QString> texts;
    std::map<OptionCheck, bool> checks;
    QStringList calls;
    QString pageFont, listFace, listCaption;
    double listSize = 0;
    int listSizeCalls = 0;
    QPoint position;
    int refreshes = 0;
    int clearedCurrent = 0;
};

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
        InitialiseProgramState(m_state, m_settingsDir.filePath(u"bin/quorvel"_qs));
    }

    void init() { QSettings(m_state.makerName, m_state.shortName).clear(); }

    void storeKeepsEmptyTextApartFromDefault()
    {
        QCOMPARE(m_store.GetValue(u"Morbanta"_qs, u"kiv"_qs, u"absent"_qs, u"dflt"_qs), u"dflt"_qs);
        store(u"empty"_qs, QString());
        QCOMPARE(m_store.GetValue(u"Morbanta"_qs, u"kiv"_qs, u"empty"_qs, u"dflt"_qs), QString());
        store(u"odd"_qs, u" a=b;c\\d "_qs);
        QCOMPARE(m_store.GetValue(u"Morbanta"_qs, u"kiv"_qs, u"odd"_qs, u"dflt"_qs),
                 u" a=b;c\\d "_qs);
    }

    void firstRunGivesDefaults()
    {
        RecordingControls controls;
        RestoreLastOptions(m_state, m_store, controls, QLocale(QLocale::English));

        QCOMPARE(controls.texts[OptionText::DBPathName], QString());
        QCOMPARE(controls.texts[OptionText::EXT], u"*.*"_qs);
        QVERIFY(m_state.bgBorder && m_state.bgRecursive && !m_state.bgLink);
        QVERIFY(m_state.bgHover && m_state.bgToggle && m_state.bgSkipEmptyDir);
        for (bool tag : m_state.bgFileTag)
            QVERIFY(tag);
        QCOMPARE(controls.checks[OptionCheck::Link], false);
        QCOMPARE(controls.checks[OptionCheck::FileTag4], true);
        QCOMPARE(m_state.sgBackgroundColor, u"FFFFFF"_qs);
        QCOMPARE(m_state.sgGridColor, u"FFFFFF"_qs);
        QCOMPARE(m_state.sgTextColor, u"000000"_qs);
        QCOMPARE(m_state.sgHeaderColor, u"eaeaea"_qs);
        QCOMPARE(m_state.sgDirColor, u"eaeaea"_qs);
        QCOMPARE(m_state.sgDirFontColor, u"000000"_qs);
        QCOMPARE(m_state.sgFileColor, u"ffffff"_qs);
        QCOMPARE(m_state.sgHoverColor, u"eaeaea"_qs);
        QCOMPARE(m_state.sgFontSizeFILE, u"8"_qs);
        QCOMPARE(m_state.sgFontSizeDIR, u"9"_qs);
        QCOMPARE(m_state.sgFont, u"Arial"_qs);
        QCOMPARE(controls.pageFont, u"Arial"_qs);
        QCOMPARE(m_state.sgListFont, u"Arial"_qs);
        QCOMPARE(m_state.sgListFontsize, u"8"_qs);
        QCOMPARE(controls.listSize, 8.0);
        QCOMPARE(controls.listCaption, u"Arial, 8"_qs);
        QCOMPARE(m_state.sgAnimation, m_state.programFolder + u"animation/spin.avi"_qs);
        QCOMPARE(controls.texts[OptionText::Animation], m_state.sgAnimation);
        // The settings folder defaults to the program folder without its separator.
        QCOMPARE(controls.texts[OptionText::SettingsPath], m_settingsDir.filePath(u"bin"_qs));
        QCOMPARE(controls.refreshes, 1);
        QCOMPARE(controls.clearedCurrent, 1);
        // Controls follow the table's order: the path box first, the settings folder last.
        QCOMPARE(controls.calls.first(),
                 u"text:"_qs + QString::number(int(OptionText::DBPathName)));
        QCOMPARE(controls.calls.last(),
                 u"text:"_qs + QString::number(int(OptionText::SettingsPath)));
    }

    void hoverColourFollowsStoredFolderColour()
    {
        store(u"sgDirColor"_qs, u"123456"_qs);
        RecordingControls controls;
        RestoreLastOptions(m_state, m_store, controls);
        QCOMPARE(m_state.sgHoverColor, u"123456"_qs);
        QCOMPARE(controls.texts[OptionText::HoverColor], u"123456"_qs);
    }

    void emptyListFontSizeBecomes8Comma25()
    {
        store(u"sgListFontsize"_qs, QString());
        RecordingControls controls;
        RestoreLastOptions(m_state, m_store, controls, QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(m_state.sgListFontsize, u"8,25"_qs);
        QCOMPARE(controls.listSize, 8.25);
        QCOMPARE(controls.listCaption, u"Arial, 8,25"_qs);

        // Not a number in this locale: the list keeps its size, the text stays.
        RecordingControls english;
        RestoreLastOptions(m_state, m_store, english, QLocale(QLocale::English));
        QCOMPARE(m_state.sgListFontsize, u"8,25"_qs);
        QCOMPARE(english.listSizeCalls, 0);
    }

    void unreadableYesNoSkipsItsStep_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("before");
        QTest::addColumn<bool>("after");
        QTest::newRow("word leaves false") << u"maybe"_qs << false << false;
        QTest::newRow("word leaves true") << u"maybe"_qs << true << true;
        QTest::newRow("lower-case false") << u"false"_qs << true << false;
        QTest::newRow("upper-case TRUE") << u"TRUE"_qs << false << true;
        QTest::newRow("zero") << u"0"_qs << true << false;
        QTest::newRow("minus one") << u"-1"_qs << false << true;
    }
    void unreadableYesNoSkipsItsStep()
    {
        QFETCH(QString, stored);
        QFETCH(bool, before);
        QFETCH(bool, after);
        store(u"bgBorder"_qs, stored);
        m_state.bgBorder = before;
        RecordingControls controls;
        RestoreLastOptions(m_state, m_store, controls);
        QCOMPARE(m_state.bgBorder, after);
        QCOMPARE(controls.checks[OptionCheck::Border], after);
    }

    void emptySettingsFolderIsNotListed()
    {
        store(u"txtSettingsPath"_qs, QString());
        RecordingControls controls;
        RestoreLastOptions(m_state, m_store, controls);
        QCOMPARE(controls.texts[OptionText::SettingsPath], QString());
        QCOMPARE(controls.refreshes, 0);
    }

    void saveWritesEveryKeyAndRestoreReadsThemBack()
    {
        m_state.bgBorder = false;
        m_state.bgRecursive = false;
        m_state.bgLink = true;
        m_state.bgHover = false;
        m_state.bgToggle = false;
        m_state.bgSkipEmptyDir = false;
        m_state.bgFileTag = { true, false, true, false, true };
        m_state.sgBackgroundColor = u"010203"_qs;
        m_state.sgGridColor = u"040506"_qs;
        m_state.sgTextColor = u"070809"_qs;
        m_state.sgFont = u"Courier"_qs;
        m_state.sgFontSizeFILE = u"7"_qs;
        m_state.sgFontSizeDIR = u"11"_qs;
        m_state.sgDirColor = u"0a0b0c"_qs;
        m_state.sgDirFontColor = u"0d0e0f"_qs;
        m_state.sgFileColor = u"101112"_qs;
        m_state.sgHeaderColor = u"131415"_qs;
        m_state.sgHoverColor = u"161718"_qs;
        m_state.sgAnimation = u"/clips/a.avi"_qs;
        m_state.sgListFontsize = u"10"_qs;
        m_state.sgListFont = u"Verdana"_qs;
        RecordingControls controls;
        controls.texts[OptionText::EXT] = u" *.txt "_qs;
        controls.texts[OptionText::DBPathName] = u"/data/"_qs;
        controls.texts[OptionText::SettingsPath] = u"  /settings  "_qs;
        controls.position = { 1500, -30 };
        SaveLastOptions(m_state, m_store, controls);

        const QStringList expectedKeys = {
            u"txtEXT"_qs,         u"txt_DBPathName"_qs,
            u"DESKTOP_LEFT"_qs,   u"DESKTOP_TOP"_qs,
            u"bgBorder"_qs,       u"bgRecursive"_qs,
            u"bgLink"_qs,         u"sgBackgroundColor"_qs,
            u"sgGridColor"_qs,    u"sgTextColor"_qs,
            u"sgFont"_qs,         u"sgFontSizeFILE"_qs,
            u"sgFontSizeDIR"_qs,  u"sgDirColor"_qs,
            u"sgDirFontColor"_qs, u"sgFileColor"_qs,
            u"sgHeaderColor"_qs,  u"bgSkipEmptyDir"_qs,
            u"bgHover"_qs,        u"sgHoverColor"_qs,
            u"bgToggle"_qs,       u"sgAnimation"_qs,
            u"sgListFontsize"_qs, u"sgListFont"_qs,
            u"chkFileTag0"_qs,    u"chkFileTag1"_qs,
            u"chkFileTag2"_qs,    u"chkFileTag3"_qs,
            u"chkFileTag4"_qs,    u"txtSettingsPath"_qs,
        };
        QSettings stored(m_state.makerName, m_state.shortName);
        QStringList keys = stored.allKeys();
        keys.sort();
        QStringList sortedExpected = expectedKeys;
        sortedExpected.sort();
        QCOMPARE(keys, sortedExpected);
        QCOMPARE(stored.value(u"txtEXT"_qs).toString(), u" *.txt "_qs);
        QCOMPARE(stored.value(u"DESKTOP_LEFT"_qs).toString(), u"1500"_qs);
        QCOMPARE(stored.value(u"DESKTOP_TOP"_qs).toString(), u"-30"_qs);
        QCOMPARE(stored.value(u"bgLink"_qs).toString(), u"True"_qs);
        QCOMPARE(stored.value(u"chkFileTag1"_qs).toString(), u"False"_qs);
        QCOMPARE(stored.value(u"txtSettingsPath"_qs).toString(), u"/settings"_qs);

        ProgramState restored;
        InitialiseProgramState(restored, m_settingsDir.filePath(u"bin/quorvel"_qs));
        RecordingControls again;
        RestoreLastOptions(restored, m_store, again);
        QCOMPARE(restored.bgLink, true);
        QCOMPARE(restored.bgBorder, false);
        QCOMPARE(restored.bgFileTag, m_state.bgFileTag);
        QCOMPARE(restored.sgHoverColor, u"161718"_qs);
        QCOMPARE(restored.sgAnimation, u"/clips/a.avi"_qs);
        QCOMPARE(again.texts[OptionText::EXT], u" *.txt "_qs);
        QCOMPARE(StartPositionTwips(restored, m_store, { 20000, 15000 }, { 12000, 9000 }),
                 QPoint(1500, -30));
    }

    void startPositionCentresWhenNothingIsStored()
    {
        QCOMPARE(StartPositionTwips(m_state, m_store, { 20000, 15000 }, { 12000, 9000 }),
                 QPoint(4000, 3000));
        store(u"DESKTOP_LEFT"_qs, u"left"_qs);
        QCOMPARE(StartPositionTwips(m_state, m_store, { 20000, 15000 }, { 12000, 9000 }).x(), 4000);
    }
};

QTEST_GUILESS_MAIN(TestLastOptions)
#include "tst_last_options.moc"
