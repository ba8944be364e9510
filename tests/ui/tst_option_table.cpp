// Every option of the option table, end to end: the first-run values of the
// window and of quorvel-list against the values written out here, and each
// option's way from its control into ProgramState, through a settings file
// and through the preference store, into the controls of another window.

#include "app/last_options.h"
#include "app/option_table.h"
#include "app/settings_file.h"
#include "cli/headless_controls.h"
#include "core/yes_no.h"
#include "support/recording_option_controls.h"
#include "ui/result_list_view.h"
#include "ui/window_fixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

// A first run, in the order start-up restores the options: the stored key,
// the value with nothing stored, and what the control shows before the
// restore (null where it shows no value of the option). "<program>" is the
// program folder without its trailing separator.
struct FirstRun
{
    const char *key;
    const char *value;
    const char *initial;
};

const FirstRun kFirstRun[] = {
    { "txt_DBPathName", "", "" },
    { "txtEXT", "*.*", "*.*" },
    { "bgBorder", "True", "True" },
    { "bgRecursive", "True", "True" },
    { "bgLink", "False", "False" },
    { "sgBackgroundColor", "FFFFFF", "FFFFFF" },
    { "sgGridColor", "FFFFFF", "FFFFFF" },
    { "sgTextColor", "000000", "FFFFFF" },
    { "sgFont", "Arial", nullptr },
    { "sgFontSizeFILE", "8", "8" },
    { "sgFontSizeDIR", "9", "9" },
    { "sgHeaderColor", "eaeaea", "FFFFFF" },
    { "sgDirColor", "eaeaea", "FFFFFF" },
    { "sgDirFontColor", "000000", "FFFFFF" },
    { "sgFileColor", "ffffff", "FFFFFF" },
    { "bgHover", "True", "True" },
    { "sgHoverColor", "eaeaea", "FFFFFF" }, // the folder-row colour
    { "bgToggle", "True", "True" },
    { "bgSkipEmptyDir", "True", "True" },
    { "sgListFont", "Arial", nullptr },
    { "sgListFontsize", "8", nullptr },
    { "sgAnimation", "<program>/animation/spin.avi", "" },
    { "chkFileTag0", "True", "False" },
    { "chkFileTag1", "True", "False" },
    { "chkFileTag2", "True", "False" },
    { "chkFileTag3", "True", "False" },
    { "chkFileTag4", "True", "False" },
    { "sgExclude", "", "" },
    { "bgFilterBox", "False", "False" },
    { "txtSettingsPath", "<program>", "" },
};

const OptionRow &RowOf(const char *preferenceKey)
{
    for (const OptionRow &row : OptionTable()) {
        if (row.preferenceKey() == QLatin1StringView(preferenceKey))
            return row;
    }
    qFatal("no option %s", preferenceKey);
}

bool HasField(const OptionRow &row)
{
    return row.text || row.flag || row.fileTag >= 0;
}

// The option's field as text; empty for an option without a field.
QString FieldText(const ProgramState &state, const OptionRow &row)
{
    if (const bool *flag = YesNoField(state, row))
        return YesNoText(*flag);
    const QString *text = TextField(state, row);
    return text ? *text : QString();
}

// What the window shows of the option.
QString Shown(const frm_main &window, const OptionRow &row)
{
    const FrmMainControls &ui = window.ui();
    const QString name(row.control);
    switch (row.kind) {
    case OptionKind::YesNo:
        return YesNoText(window.findChild<QCheckBox *>(name)->isChecked());
    case OptionKind::PageFont:
        return ui.cmdFont->text();
    case OptionKind::ListFont:
        return ui.cmdListFont->text().section(QStringLiteral(", "), 0, 0);
    case OptionKind::ListFontSize:
        return QString::number(ui.lstItems->font().pointSizeF());
    case OptionKind::WindowLeft:
        return QString::number(window.windowPositionTwips().x());
    case OptionKind::WindowTop:
        return QString::number(window.windowPositionTwips().y());
    default:
        return window.findChild<QLineEdit *>(name)->text();
    }
}

// Every option field but those changed through the same control.
QStringList OtherFields(const ProgramState &state, const OptionRow &changed)
{
    QStringList fields;
    for (const OptionRow &row : OptionTable())
        fields << (row.control == changed.control ? QString() : FieldText(state, row));
    return fields;
}

void ClickBox(QCheckBox *box)
{
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

void Retype(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

QFont Font(const char *family, double points)
{
    QFont font(QString::fromUtf8(family));
    font.setPointSizeF(points);
    return font;
}

} // namespace

class TestOptionTable : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

    QString expectedFirstRun(const FirstRun &option) const
    {
        return QString::fromUtf8(option.value).replace(QStringLiteral("<program>"), m_dir->path());
    }

    // Changes the option through its control as the user does (or as
    // loading does, for the boxes the user cannot change) to a value unlike
    // its first run's and, but for yes/no, unlike every other option's.
    void change(ProgramRun &run, const OptionRow &row, int index, QString &value);

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        UseTemporaryPreferenceStore(*m_dir);
    }

    void firstRun();
    void everyOptionTravels();
};

void TestOptionTable::firstRun()
{
    QStringList keys;
    for (const FirstRun &option : kFirstRun)
        keys << QString::fromUtf8(option.key);
    QStringList restored;
    for (const OptionRow *row : RestoreOrder())
        restored << row->preferenceKey();
    QCOMPARE(restored, keys);

    // The window: its controls before the restore, then the restored
    // options, with nothing stored.
    ProgramRun run(m_dir->path());
    for (const FirstRun &option : kFirstRun) {
        if (option.initial)
            QCOMPARE(Shown(*run.window, RowOf(option.key)), QString::fromUtf8(option.initial));
    }
    QVERIFY(run.showAndActivate());
    for (const FirstRun &option : kFirstRun) {
        const OptionRow &row = RowOf(option.key);
        // Listing the settings folder ends it with a separator.
        const QString separator
            = row.kind == OptionKind::SettingsFolder ? QStringLiteral("/") : QString();
        QCOMPARE(Shown(*run.window, row), expectedFirstRun(option) + separator);
        if (HasField(row))
            QCOMPARE(FieldText(run.state, row), expectedFirstRun(option));
    }

    // quorvel-list starts from the same options, the table's first-run values.
    ProgramState state;
    InitialiseProgramState(state, run.programFile);
    HeadlessControls controls;
    ApplyFirstRunOptions(state, controls);
    for (const FirstRun &option : kFirstRun) {
        const OptionRow &row = RowOf(option.key);
        QString shown = FieldText(state, row);
        if (row.box)
            shown = controls.optionText(*row.box);
        else if (row.check)
            shown = YesNoText(controls.optionCheck(*row.check));
        QCOMPARE(shown, expectedFirstRun(option));
        QCOMPARE(FieldText(state, row), FieldText(run.state, row));
        QCOMPARE(FirstRunText(state, row), expectedFirstRun(option));
    }
}

void TestOptionTable::change(ProgramRun &run, const OptionRow &row, int index, QString &value)
{
    frm_main &window = *run.window;
    switch (row.kind) {
    case OptionKind::Folder:
        value = QStringLiteral("/folder");
        window.setOptionText(*row.box, value);
        return;
    case OptionKind::SettingsFolder:
        // Stored without the blanks before it.
        value = QStringLiteral("  ") + m_dir->path() + QStringLiteral("/settings/");
        window.setOptionText(*row.box, value);
        return;
    case OptionKind::PageFont:
        run.dialogs.fontAnswers = { Font("DejaVu Sans Mono", 10) };
        window.cmdFont_Click();
        value = QStringLiteral("DejaVu Sans Mono");
        return;
    case OptionKind::ListFont:
        run.dialogs.fontAnswers = { Font("DejaVu Serif", 11) };
        window.cmdListFont_Click();
        value = QStringLiteral("DejaVu Serif");
        return;
    case OptionKind::ListFontSize:
        run.dialogs.fontAnswers = { Font("DejaVu Serif", 12.5) };
        window.cmdListFont_Click();
        value = QStringLiteral("12.5");
        return;
    case OptionKind::WindowLeft:
        window.move(40, window.y());
        value = QStringLiteral("600");
        return;
    case OptionKind::WindowTop:
        window.move(window.x(), 50);
        value = QStringLiteral("750");
        return;
    case OptionKind::YesNo: {
        auto *box = window.findChild<QCheckBox *>(QString(row.control));
        bool &field = *YesNoField(run.state, row);
        if (!box->isEnabled()) { // chkLink: only loading ticks it
            window.setOptionCheck(*row.check, !field);
            value = YesNoText(field);
            return;
        }
        // Any key's release tells the field, and a grey box counts as ticked.
        box->setCheckState(Qt::Unchecked);
        field = true;
        QTest::keyRelease(box, Qt::Key_A);
        QCOMPARE(field, false);
        box->setCheckState(Qt::PartiallyChecked);
        QTest::keyRelease(box, Qt::Key_Shift);
        QCOMPARE(field, true);
        box->setChecked(row.firstRun == QLatin1StringView("True"));
        QTest::keyRelease(box, Qt::Key_Space);
        ClickBox(box);
        value = YesNoText(box->isChecked());
        return;
    }
    case OptionKind::Pattern:
    case OptionKind::Clip:
    case OptionKind::ExcludePatterns:
        value = row.kind == OptionKind::Pattern ? QStringLiteral(" *.p ")
            : row.kind == OptionKind::Clip      ? QStringLiteral("/clips/c.avi")
                                                : QStringLiteral("node_modules;*.TMP");
        Retype(window.findChild<QLineEdit *>(QString(row.control)), value);
        return;
    case OptionKind::Colour:
    case OptionKind::FontSize:
        break;
    }
    // Colour and size boxes keep what is typed, without a check...
    auto *edit = window.findChild<QLineEdit *>(QString(row.control));
    const QString &field = *TextField(run.state, row);
    Retype(edit, QStringLiteral("x,5"));
    QCOMPARE(field, QStringLiteral("x,5"));
    // ...six characters at most...
    value = row.kind == OptionKind::Colour ? QString::number(0x102030 + index * 0x010101, 16)
                                           : QStringLiteral("%1,25").arg(100 + index);
    Retype(edit, value + u'7');
    QCOMPARE(field, value);
    // ...and a longer text loaded from a file reaches the field whole.
    window.setOptionText(*row.box, value + u'1');
    QCOMPARE(edit->text(), value);
    QCOMPARE(field, value + u'1');
    window.setOptionText(*row.box, value);
}

void TestOptionTable::everyOptionTravels()
{
    auto run = std::make_unique<ProgramRun>(m_dir->path());
    QVERIFY(run->showAndActivate());
    QHash<QString, QString> values; // by preference key
    int index = 0;
    for (const OptionRow &row : OptionTable()) {
        const QString key = row.preferenceKey();
        const QStringList others = OtherFields(run->state, row);
        QString value;
        change(*run, row, index++, value);
        if (QTest::currentTestFailed())
            return;
        if (row.kind != OptionKind::YesNo)
            QVERIFY2(!values.values().contains(value), qPrintable(key));
        values.insert(key, value);
        QCOMPARE(Shown(*run->window, row).trimmed(), value.trimmed());
        if (HasField(row))
            QCOMPARE(FieldText(run->state, row), value);
        QCOMPARE(OtherFields(run->state, row), others);
    }

    // Through a settings file into a window of a first run: the folder,
    // pattern and clip without blanks around them.
    const QString file = m_dir->filePath(QStringLiteral("all.kiv"));
    run->dialogs.fileAnswers = { file };
    run->window->cmdsave_Click(3);
    {
        ProgramRun applied(m_dir->path());
        QVERIFY(applied.showAndActivate());
        ApplySettingsFile(applied.state, *applied.window, file);
        for (const OptionRow &row : SettingsFileOptions()) {
            const QString key = row.preferenceKey();
            QCOMPARE(Shown(*applied.window, row), values[key].trimmed());
            QCOMPARE(FieldText(applied.state, row), FieldText(run->state, row));
        }
    }

    // Through the preference store into the next run: every key of the table.
    run->window->close();
    QStringList keys = values.keys();
    QStringList stored = QSettings(run->state.makerName, run->state.shortName).allKeys();
    keys.sort();
    stored.sort();
    QCOMPARE(stored, keys);
    ProgramRun next(m_dir->path());
    QVERIFY(next.showAndActivate());
    for (const OptionRow &row : OptionTable()) {
        const QString key = row.preferenceKey();
        const QString expected
            = row.kind == OptionKind::SettingsFolder ? values[key].trimmed() : values[key];
        QCOMPARE(Shown(*next.window, row), expected);
        QCOMPARE(FieldText(next.state, row), FieldText(run->state, row));
    }
}

QTEST_MAIN(TestOptionTable)
#include "tst_option_table.moc"
