// The option controls of the main window, driven through their widgets:
// every check box, colour box and size box writes its own field of
// ProgramState and no other; the font buttons and the animation group.

#include "scan/result_list.h"
#include "ui/window_fixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

namespace {

// Which field each control writes, written out here from the window's
// documentation of its controls.
bool &CheckField(ProgramState &state, const QString &box)
{
    if (box == u"chkRecursive")
        return state.bgRecursive;
    if (box == u"chkSkipEmptyDir")
        return state.bgSkipEmptyDir;
    if (box == u"chkToggle")
        return state.bgToggle;
    if (box == u"chkborder")
        return state.bgBorder;
    if (box == u"chkHover")
        return state.bgHover;
    if (box == u"chkLink")
        return state.bgLink;
    for (int i = 0; i < 5; ++i) {
        if (box == QStringLiteral("chkFileTag_%1").arg(i))
            return state.bgFileTag[size_t(i)];
    }
    qFatal("no such check box");
}

QString &TextField(ProgramState &state, const QString &box)
{
    if (box == u"txtBackgroundColor")
        return state.sgBackgroundColor;
    if (box == u"txtGridColor")
        return state.sgGridColor;
    if (box == u"txtTextColor")
        return state.sgTextColor;
    if (box == u"txtHeaderColor")
        return state.sgHeaderColor;
    if (box == u"txtDirColor")
        return state.sgDirColor;
    if (box == u"txtDirFontColor")
        return state.sgDirFontColor;
    if (box == u"txtFileColor")
        return state.sgFileColor;
    if (box == u"txtHoverColor")
        return state.sgHoverColor;
    if (box == u"txtFontSizeDIR")
        return state.sgFontSizeDIR;
    if (box == u"txtFontSizeFILE")
        return state.sgFontSizeFILE;
    qFatal("no such text box");
}

const QStringList kUserCheckBoxes {
    QStringLiteral("chkRecursive"), QStringLiteral("chkSkipEmptyDir"),
    QStringLiteral("chkToggle"),    QStringLiteral("chkborder"),
    QStringLiteral("chkHover"),     QStringLiteral("chkFileTag_0"),
    QStringLiteral("chkFileTag_1"), QStringLiteral("chkFileTag_2"),
    QStringLiteral("chkFileTag_3"), QStringLiteral("chkFileTag_4"),
};
const QStringList kColourBoxes {
    QStringLiteral("txtBackgroundColor"), QStringLiteral("txtGridColor"),
    QStringLiteral("txtTextColor"),       QStringLiteral("txtHeaderColor"),
    QStringLiteral("txtDirColor"),        QStringLiteral("txtDirFontColor"),
    QStringLiteral("txtFileColor"),       QStringLiteral("txtHoverColor"),
};
const QStringList kSizeBoxes { QStringLiteral("txtFontSizeDIR"),
                               QStringLiteral("txtFontSizeFILE") };

// Every option field as text, to see that a control changed only its own.
QMap<QString, QString> Snapshot(ProgramState &state)
{
    QMap<QString, QString> values;
    for (const QString &box : kUserCheckBoxes + QStringList { QStringLiteral("chkLink") })
        values[box] = CheckField(state, box) ? QStringLiteral("True") : QStringLiteral("False");
    for (const QString &box : kColourBoxes + kSizeBoxes)
        values[box] = TextField(state, box);
    values[QStringLiteral("sgFont")] = state.sgFont;
    values[QStringLiteral("sgListFont")] = state.sgListFont;
    values[QStringLiteral("sgListFontsize")] = state.sgListFontsize;
    values[QStringLiteral("sgAnimation")] = state.sgAnimation;
    return values;
}

// Compares two snapshots except for the keys named.
bool SameExcept(QMap<QString, QString> before, QMap<QString, QString> after,
                const QStringList &changed)
{
    for (const QString &key : changed) {
        before.remove(key);
        after.remove(key);
    }
    if (before != after) {
        for (auto it = before.cbegin(); it != before.cend(); ++it) {
            if (after.value(it.key()) != it.value())
                qWarning() << "also changed:" << it.key() << it.value() << "->"
                           << after.value(it.key());
        }
    }
    return before == after;
}

// Clicks the box's tick square, which is always a hit whatever its caption's length.
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

} // namespace

class TestOptionControls : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void checkBoxClick_data();
    void checkBoxClick();
    void checkBoxKeyRelease_data();
    void checkBoxKeyRelease();
    void checkBoxTickedByKeyboard_data();
    void checkBoxTickedByKeyboard();
    void linkBoxOnlyFromCode();
    void colourBoxWritesItsField_data();
    void colourBoxWritesItsField();
    void colourSwatchRule_data();
    void colourSwatchRule();
    void darkSwatchKeepsTextReadable();
    void optionBoxRefusesSeventhCharacter_data();
    void optionBoxRefusesSeventhCharacter();
    void sizeBoxWritesItsField_data();
    void sizeBoxWritesItsField();
    void loadedLongTextReachesField();
    void pageFontButton();
    void cancelledPageFontChangesNothing();
    void listFontButtonUnderGerman();
    void cancelledListFontChangesNothing();
    void animationBoxAndDefault();
    void animationBrowse();
    void settingsFolderBrowse();
    void everyCancelButtonSetsFlag();

private:
    QLocale m_originalLocale;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ProgramRun> m_run;

    template<typename T> T *control(const QString &name)
    {
        T *widget = m_run->window->findChild<T *>(name);
        if (!widget)
            qFatal("control %s missing", qPrintable(name));
        return widget;
    }
};

void TestOptionControls::initTestCase()
{
    m_originalLocale = QLocale();
}

void TestOptionControls::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    UseTemporaryPreferenceStore(*m_dir);
    m_run = std::make_unique<ProgramRun>(m_dir->path());
    QVERIFY(m_run->showAndActivate());
}

void TestOptionControls::cleanup()
{
    m_run.reset();
    m_dir.reset();
    QLocale::setDefault(m_originalLocale);
}

void TestOptionControls::checkBoxClick_data()
{
    QTest::addColumn<QString>("box");
    for (const QString &box : kUserCheckBoxes)
        QTest::newRow(qPrintable(box)) << box;
}

void TestOptionControls::checkBoxClick()
{
    QFETCH(QString, box);
    auto *check = control<QCheckBox>(box);
    ProgramState &state = m_run->state;
    const bool before = check->isChecked();
    QCOMPARE(CheckField(state, box), before);

    const auto snapshot = Snapshot(state);
    ClickBox(check);
    QCOMPARE(check->isChecked(), !before);
    QCOMPARE(CheckField(state, box), !before);
    QVERIFY(SameExcept(snapshot, Snapshot(state), { box }));

    ClickBox(check);
    QCOMPARE(CheckField(state, box), before);
}

void TestOptionControls::checkBoxKeyRelease_data()
{
    checkBoxClick_data();
}

void TestOptionControls::checkBoxKeyRelease()
{
    QFETCH(QString, box);
    auto *check = control<QCheckBox>(box);
    ProgramState &state = m_run->state;
    check->setFocus();

    // Changed from code without a click: only the key release tells the field.
    check->setCheckState(Qt::Unchecked);
    CheckField(state, box) = true;
    const auto snapshot = Snapshot(state);
    QTest::keyRelease(check, Qt::Key_A);
    QCOMPARE(CheckField(state, box), false);
    QVERIFY(SameExcept(snapshot, Snapshot(state), { box }));

    // Any key; a grey box counts as ticked.
    check->setCheckState(Qt::PartiallyChecked);
    QTest::keyRelease(check, Qt::Key_Shift);
    QCOMPARE(CheckField(state, box), true);

    check->setCheckState(Qt::Unchecked);
    QTest::keyRelease(check, Qt::Key_Tab);
    QCOMPARE(CheckField(state, box), false);

    check->setCheckState(Qt::Checked);
    QTest::keyRelease(check, Qt::Key_F5);
    QCOMPARE(CheckField(state, box), true);
}

void TestOptionControls::checkBoxTickedByKeyboard_data()
{
    checkBoxClick_data();
}

void TestOptionControls::checkBoxTickedByKeyboard()
{
    QFETCH(QString, box);
    auto *check = control<QCheckBox>(box);
    check->setFocus();
    const bool before = check->isChecked();
    QTest::keyClick(check, Qt::Key_Space);
    QCOMPARE(check->isChecked(), !before);
    QCOMPARE(CheckField(m_run->state, box), !before);
}

void TestOptionControls::linkBoxOnlyFromCode()
{
    auto *check = control<QCheckBox>(QStringLiteral("chkLink"));
    ProgramState &state = m_run->state;
    QCOMPARE(state.bgLink, false);
    ClickBox(check);
    QCOMPARE(check->isChecked(), false);
    QCOMPARE(state.bgLink, false);

    m_run->window->setOptionCheck(OptionCheck::Link, true);
    QCOMPARE(check->isChecked(), true);
    QCOMPARE(state.bgLink, true);
}

void TestOptionControls::colourBoxWritesItsField_data()
{
    QTest::addColumn<QString>("box");
    for (const QString &box : kColourBoxes)
        QTest::newRow(qPrintable(box)) << box;
}

void TestOptionControls::colourBoxWritesItsField()
{
    QFETCH(QString, box);
    auto *edit = control<QLineEdit>(box);
    ProgramState &state = m_run->state;
    const auto snapshot = Snapshot(state);
    Retype(edit, QStringLiteral("FF8000"));
    QCOMPARE(TextField(state, box), QStringLiteral("FF8000"));
    QCOMPARE(edit->palette().color(QPalette::Base), QColor(255, 128, 0));
    QVERIFY(SameExcept(snapshot, Snapshot(state), { box }));

    // Set from code (a settings file, start-up): the same handler runs.
    m_run->window->setOptionText(OptionText::BackgroundColor, QStringLiteral("0000ff"));
    m_run->window->setOptionText(OptionText::GridColor, QStringLiteral("0000ff"));
    m_run->window->setOptionText(OptionText::TextColor, QStringLiteral("0000ff"));
    m_run->window->setOptionText(OptionText::HeaderColor, QStringLiteral("0000ff"));
    m_run->window->setOptionText(OptionText::DirColor, QStringLiteral("0000ff"));
    m_run->window->setOptionText(OptionText::DirFontColor, QStringLiteral("0000ff"));
    m_run->window->setOptionText(OptionText::FileColor, QStringLiteral("0000ff"));
    m_run->window->setOptionText(OptionText::HoverColor, QStringLiteral("0000ff"));
    QCOMPARE(TextField(state, box), QStringLiteral("0000ff"));
    QCOMPARE(edit->palette().color(QPalette::Base), QColor(0, 0, 255));
}

void TestOptionControls::colourSwatchRule_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QColor>("swatch");
    QTest::newRow("orange") << "FF8000" << QColor(255, 128, 0);
    QTest::newRow("two digits are red") << "FF" << QColor(255, 0, 0);
    QTest::newRow("letters give black") << "zz0000" << QColor(0, 0, 0);
    QTest::newRow("empty is black") << "" << QColor(0, 0, 0);
    QTest::newRow("case kept") << "eaEAea" << QColor(0xea, 0xea, 0xea);
    QTest::newRow("one digit") << "8" << QColor(8, 0, 0);
    QTest::newRow("digits then other") << "1x2y3z" << QColor(1, 2, 3);
}

void TestOptionControls::colourSwatchRule()
{
    QFETCH(QString, typed);
    QFETCH(QColor, swatch);
    auto *edit = control<QLineEdit>(QStringLiteral("txtHeaderColor"));
    Retype(edit, typed);
    QCOMPARE(edit->text(), typed);
    QCOMPARE(m_run->state.sgHeaderColor, typed); // exactly as typed
    QCOMPARE(edit->palette().color(QPalette::Base), swatch);

    // What the box shows: the swatch at its left edge, away from the centred text.
    const QImage image = edit->grab().toImage();
    const QColor shown = image.pixelColor(3, image.height() / 2);
    QCOMPARE(shown, swatch);
}

void TestOptionControls::darkSwatchKeepsTextReadable()
{
    auto *edit = control<QLineEdit>(QStringLiteral("txtDirColor"));
    Retype(edit, QStringLiteral("000000"));
    QCOMPARE(edit->palette().color(QPalette::Text), QColor(Qt::white));
    Retype(edit, QStringLiteral("FFFFFF"));
    QCOMPARE(edit->palette().color(QPalette::Text), QColor(Qt::black));
}

void TestOptionControls::optionBoxRefusesSeventhCharacter_data()
{
    QTest::addColumn<QString>("box");
    for (const QString &box : kColourBoxes + kSizeBoxes)
        QTest::newRow(qPrintable(box)) << box;
}

void TestOptionControls::optionBoxRefusesSeventhCharacter()
{
    QFETCH(QString, box);
    auto *edit = control<QLineEdit>(box);
    Retype(edit, QStringLiteral("1234567"));
    QCOMPARE(edit->text(), QStringLiteral("123456"));
    QCOMPARE(TextField(m_run->state, box), QStringLiteral("123456"));
}

void TestOptionControls::sizeBoxWritesItsField_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("typed");
    for (const QString &box : kSizeBoxes) {
        QTest::addRow("%s decimal comma", qPrintable(box)) << box << "10,5";
        QTest::addRow("%s not a number", qPrintable(box)) << box << "big";
        QTest::addRow("%s empty", qPrintable(box)) << box << "";
    }
}

void TestOptionControls::sizeBoxWritesItsField()
{
    QFETCH(QString, box);
    QFETCH(QString, typed);
    auto *edit = control<QLineEdit>(box);
    ProgramState &state = m_run->state;
    const auto snapshot = Snapshot(state);
    Retype(edit, typed);
    QCOMPARE(TextField(state, box), typed);
    QVERIFY(SameExcept(snapshot, Snapshot(state), { box }));
}

void TestOptionControls::loadedLongTextReachesField()
{
    // A settings file may hold more than the box shows; the field keeps it whole.
    m_run->window->setOptionText(OptionText::GridColor, QStringLiteral("1234567"));
    QCOMPARE(control<QLineEdit>(QStringLiteral("txtGridColor"))->text(), QStringLiteral("123456"));
    QCOMPARE(m_run->state.sgGridColor, QStringLiteral("1234567"));
    m_run->window->setOptionText(OptionText::FontSizeDIR, QStringLiteral("10,0001"));
    QCOMPARE(m_run->state.sgFontSizeDIR, QStringLiteral("10,0001"));
}

void TestOptionControls::pageFontButton()
{
    auto *button = control<QPushButton>(QStringLiteral("cmdFont"));
    ProgramState &state = m_run->state;
    QFont chosen(QStringLiteral("DejaVu Serif"));
    chosen.setPointSizeF(14);
    m_run->dialogs.fontAnswers = { chosen };
    const auto snapshot = Snapshot(state);
    QTest::mouseClick(button, Qt::LeftButton);

    QCOMPARE(m_run->dialogs.calls.size(), 1);
    QCOMPARE(m_run->dialogs.calls[0].kind, QStringLiteral("font"));
    QCOMPARE(m_run->dialogs.calls[0].title, QStringLiteral("kiv - Schrift auswählen"));
    QCOMPARE(state.sgFont, QStringLiteral("DejaVu Serif"));
    QCOMPARE(button->text(), QStringLiteral("DejaVu Serif"));
    QCOMPARE(button->font().family(), QStringLiteral("DejaVu Serif"));
    // The size is not used.
    QVERIFY(SameExcept(snapshot, Snapshot(state), { QStringLiteral("sgFont") }));
}

void TestOptionControls::cancelledPageFontChangesNothing()
{
    auto *button = control<QPushButton>(QStringLiteral("cmdFont"));
    ProgramState &state = m_run->state;
    const QString caption = button->text();
    const QFont face = button->font();
    const auto snapshot = Snapshot(state);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(m_run->dialogs.calls.size(), 1);
    QCOMPARE(button->text(), caption);
    QCOMPARE(button->font(), face);
    QVERIFY(SameExcept(snapshot, Snapshot(state), {}));
}

void TestOptionControls::listFontButtonUnderGerman()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    auto *button = control<QPushButton>(QStringLiteral("cmdListFont"));
    auto *list = control<QTableView>(QStringLiteral("lstItems"));
    ProgramState &state = m_run->state;
    QFont bold = list->font();
    bold.setBold(true);
    list->setFont(bold);
    const QString buttonFace = button->font().family();

    QFont chosen(QStringLiteral("Arial"));
    chosen.setPointSizeF(8.25);
    m_run->dialogs.fontAnswers = { chosen };
    QTest::mouseClick(button, Qt::LeftButton);

    QCOMPARE(m_run->dialogs.calls.size(), 1);
    QCOMPARE(m_run->dialogs.calls[0].title, QStringLiteral("kiv - choose font"));
    QCOMPARE(button->text(), QStringLiteral("Arial, 8,25"));
    QCOMPARE(state.sgListFont, QStringLiteral("Arial"));
    QCOMPARE(state.sgListFontsize, QStringLiteral("8,25"));
    QCOMPARE(list->font().family(), QStringLiteral("Arial"));
    QCOMPARE(list->font().pointSizeF(), 8.25);
    QVERIFY(!list->font().bold());
    QCOMPARE(button->font().family(), buttonFace);
}

void TestOptionControls::cancelledListFontChangesNothing()
{
    auto *button = control<QPushButton>(QStringLiteral("cmdListFont"));
    auto *list = control<QTableView>(QStringLiteral("lstItems"));
    ProgramState &state = m_run->state;
    const QString caption = button->text();
    const QFont listFont = list->font();
    const QString face = state.sgListFont;
    const QString size = state.sgListFontsize;
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(m_run->dialogs.calls.size(), 1);
    QCOMPARE(button->text(), caption);
    QCOMPARE(list->font(), listFont);
    QCOMPARE(state.sgListFont, face);
    QCOMPARE(state.sgListFontsize, size);
}

void TestOptionControls::animationBoxAndDefault()
{
    auto *box = control<QLineEdit>(QStringLiteral("txtAnimation"));
    ProgramState &state = m_run->state;
    Retype(box, QStringLiteral("/clips/my.avi"));
    QCOMPARE(state.sgAnimation, QStringLiteral("/clips/my.avi"));

    QTest::mouseClick(control<QPushButton>(QStringLiteral("cmdAviDeafult")), Qt::LeftButton);
    const QString expected = m_dir->path() + QStringLiteral("/animation/spin.avi");
    QCOMPARE(box->text(), expected);
    QCOMPARE(state.sgAnimation, expected);
}

void TestOptionControls::animationBrowse()
{
    auto *box = control<QLineEdit>(QStringLiteral("txtAnimation"));
    auto *browse = control<QPushButton>(QStringLiteral("cmdBrowseForAni"));
    ProgramState &state = m_run->state;
    const QString before = state.sgAnimation;

    QTest::mouseClick(browse, Qt::LeftButton); // cancelled
    QCOMPARE(state.sgAnimation, before);
    QCOMPARE(box->text(), before);

    m_run->dialogs.fileAnswers = { QStringLiteral("/clips/other.avi") };
    QTest::mouseClick(browse, Qt::LeftButton);
    QCOMPARE(state.sgAnimation, QStringLiteral("/clips/other.avi"));
    QCOMPARE(box->text(), QStringLiteral("/clips/other.avi"));

    QCOMPARE(m_run->dialogs.calls.size(), 2);
    for (const auto &call : m_run->dialogs.calls) {
        QCOMPARE(call.kind, QStringLiteral("open"));
        QCOMPARE(call.title, QStringLiteral("kiv - Animation"));
        QCOMPARE(call.filter, QStringLiteral("Animation-Files (*.avi);;All Files (*)"));
    }
}

void TestOptionControls::settingsFolderBrowse()
{
    auto *box = control<QLineEdit>(QStringLiteral("txtSettingsPath"));
    auto *browse = control<QPushButton>(QStringLiteral("cmdBrowseSettingsPath"));
    m_run->dialogs.folderAnswers = { m_dir->path() + u'/' };
    QTest::mouseClick(browse, Qt::LeftButton);
    // The chosen folder, listed, which gives it its separator.
    QCOMPARE(box->text(), m_dir->path() + u'/');
    QCOMPARE(m_run->dialogs.calls.last().title, QStringLiteral("gus.sdg"));

    QTest::mouseClick(browse, Qt::LeftButton); // cancelled: the box is emptied
    QCOMPARE(box->text(), QString());
}

void TestOptionControls::everyCancelButtonSetsFlag()
{
    for (int i = 0; i < 4; ++i) {
        m_run->state.bgCancel = false;
        control<QAbstractButton>(QStringLiteral("cmdCancel_%1").arg(i))->click();
        QVERIFY2(m_run->state.bgCancel, qPrintable(QString::number(i)));
    }
}

QTEST_MAIN(TestOptionControls)
#include "tst_option_controls.moc"
