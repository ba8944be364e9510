// The option controls of the main window, driven through their widgets:
// every check box, colour box and size box writes its own field of
// ProgramState and no other; the font buttons and the dialogs they ask.

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
    if (box.startsWith(u"chkFileTag_"))
        return state.bgFileTag[size_t(box.back().digitValue())];
    const QHash<QString, bool ProgramState::*> fields {
        { QStringLiteral("chkRecursive"), &ProgramState::bgRecursive },
        { QStringLiteral("chkSkipEmptyDir"), &ProgramState::bgSkipEmptyDir },
        { QStringLiteral("chkToggle"), &ProgramState::bgToggle },
        { QStringLiteral("chkborder"), &ProgramState::bgBorder },
        { QStringLiteral("chkHover"), &ProgramState::bgHover },
        { QStringLiteral("chkLink"), &ProgramState::bgLink },
    };
    return state.*fields.value(box);
}

struct TextBox
{
    QString name;
    OptionText option;
    QString ProgramState::*field;
};

const QList<TextBox> kOptionBoxes {
    { QStringLiteral("txtBackgroundColor"), OptionText::BackgroundColor,
      &ProgramState::sgBackgroundColor },
    { QStringLiteral("txtGridColor"), OptionText::GridColor, &ProgramState::sgGridColor },
    { QStringLiteral("txtTextColor"), OptionText::TextColor, &ProgramState::sgTextColor },
    { QStringLiteral("txtHeaderColor"), OptionText::HeaderColor, &ProgramState::sgHeaderColor },
    { QStringLiteral("txtDirColor"), OptionText::DirColor, &ProgramState::sgDirColor },
    { QStringLiteral("txtDirFontColor"), OptionText::DirFontColor, &ProgramState::sgDirFontColor },
    { QStringLiteral("txtFileColor"), OptionText::FileColor, &ProgramState::sgFileColor },
    { QStringLiteral("txtHoverColor"), OptionText::HoverColor, &ProgramState::sgHoverColor },
    { QStringLiteral("txtFontSizeDIR"), OptionText::FontSizeDIR, &ProgramState::sgFontSizeDIR },
    { QStringLiteral("txtFontSizeFILE"), OptionText::FontSizeFILE, &ProgramState::sgFontSizeFILE },
};

const QStringList kUserCheckBoxes {
    QStringLiteral("chkRecursive"), QStringLiteral("chkSkipEmptyDir"),
    QStringLiteral("chkToggle"),    QStringLiteral("chkborder"),
    QStringLiteral("chkHover"),     QStringLiteral("chkFileTag_0"),
    QStringLiteral("chkFileTag_1"), QStringLiteral("chkFileTag_2"),
    QStringLiteral("chkFileTag_3"), QStringLiteral("chkFileTag_4"),
};

// Every option field as text, to see that a control changed only its own.
QMap<QString, QString> Snapshot(ProgramState &state)
{
    QMap<QString, QString> values;
    for (const QString &box : kUserCheckBoxes + QStringList { QStringLiteral("chkLink") })
        values[box] = CheckField(state, box) ? QStringLiteral("True") : QStringLiteral("False");
    for (const TextBox &box : kOptionBoxes)
        values[box.name] = state.*box.field;
    values[QStringLiteral("sgFont")] = state.sgFont;
    values[QStringLiteral("sgListFont")] = state.sgListFont;
    values[QStringLiteral("sgListFontsize")] = state.sgListFontsize;
    values[QStringLiteral("sgAnimation")] = state.sgAnimation;
    return values;
}

QStringList Changed(const QMap<QString, QString> &before, const QMap<QString, QString> &after)
{
    QStringList keys;
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (after.value(it.key()) != it.value())
            keys << it.key();
    }
    return keys;
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

    void checkBox_data();
    void checkBox();
    void linkBoxOnlyFromCode();
    void optionBox_data();
    void optionBox();
    void colourSwatch_data();
    void colourSwatch();
    void cancelledDialogChangesNothing_data();
    void cancelledDialogChangesNothing();
    void pageFontButton();
    void listFontButtonUnderGerman();

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

void TestOptionControls::checkBox_data()
{
    QTest::addColumn<QString>("box");
    for (const QString &box : kUserCheckBoxes)
        QTest::newRow(qPrintable(box)) << box;
}

void TestOptionControls::checkBox()
{
    QFETCH(QString, box);
    auto *check = control<QCheckBox>(box);
    ProgramState &state = m_run->state;
    const bool before = check->isChecked();
    QCOMPARE(CheckField(state, box), before);

    const auto snapshot = Snapshot(state);
    ClickBox(check);
    QCOMPARE(check->isChecked(), !before);
    QCOMPARE(Changed(snapshot, Snapshot(state)), QStringList { box });
    QTest::keyClick(check, Qt::Key_Space);
    QCOMPARE(CheckField(state, box), before);

    // Changed from code without a click: any key's release tells the field.
    check->setCheckState(Qt::Unchecked);
    CheckField(state, box) = true;
    const auto unticked = Snapshot(state);
    QTest::keyRelease(check, Qt::Key_A);
    QCOMPARE(Changed(unticked, Snapshot(state)), QStringList { box });
    QCOMPARE(CheckField(state, box), false);
    // A grey box counts as ticked.
    check->setCheckState(Qt::PartiallyChecked);
    QTest::keyRelease(check, Qt::Key_Shift);
    QCOMPARE(CheckField(state, box), true);
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

void TestOptionControls::optionBox_data()
{
    QTest::addColumn<int>("index");
    for (int i = 0; i < kOptionBoxes.size(); ++i)
        QTest::newRow(qPrintable(kOptionBoxes[i].name)) << i;
}

void TestOptionControls::optionBox()
{
    QFETCH(int, index);
    const TextBox &box = kOptionBoxes[index];
    auto *edit = control<QLineEdit>(box.name);
    ProgramState &state = m_run->state;
    const auto snapshot = Snapshot(state);
    Retype(edit, QStringLiteral("1234567")); // the seventh character is refused
    QCOMPARE(edit->text(), QStringLiteral("123456"));
    QCOMPARE(state.*box.field, QStringLiteral("123456"));
    QCOMPARE(Changed(snapshot, Snapshot(state)), QStringList { box.name });
    // Kept as typed: no number or colour check.
    Retype(edit, QStringLiteral("x,5"));
    QCOMPARE(state.*box.field, QStringLiteral("x,5"));

    // Set from code (a settings file, start-up): the same handler runs, and a
    // longer loaded text reaches the field whole.
    m_run->window->setOptionText(box.option, QStringLiteral("0000ff1"));
    QCOMPARE(edit->text(), QStringLiteral("0000ff"));
    QCOMPARE(state.*box.field, QStringLiteral("0000ff1"));
    if (box.name.endsWith(u"Color"))
        QCOMPARE(edit->palette().color(QPalette::Base), QColor(0, 0, 255));
}

void TestOptionControls::colourSwatch_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QColor>("swatch");
    QTest::addColumn<QColor>("text");
    QTest::newRow("orange") << "FF8000" << QColor(255, 128, 0) << QColor(Qt::black);
    QTest::newRow("case kept") << "eaEAea" << QColor(0xea, 0xea, 0xea) << QColor(Qt::black);
    QTest::newRow("empty is black, its text white") << "" << QColor(0, 0, 0) << QColor(Qt::white);
}

void TestOptionControls::colourSwatch()
{
    QFETCH(QString, typed);
    QFETCH(QColor, swatch);
    QFETCH(QColor, text);
    auto *edit = control<QLineEdit>(QStringLiteral("txtHeaderColor"));
    Retype(edit, typed);
    QCOMPARE(m_run->state.sgHeaderColor, typed); // exactly as typed
    QCOMPARE(edit->palette().color(QPalette::Base), swatch);
    QCOMPARE(edit->palette().color(QPalette::Text), text);
    // What the box shows: the swatch at its left edge, away from the centred text.
    const QImage image = edit->grab().toImage();
    QCOMPARE(image.pixelColor(3, image.height() / 2), swatch);
}

void TestOptionControls::cancelledDialogChangesNothing_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("filter");
    const auto row = [](const char *name, const char *button, const char *kind, const char *title,
                        const char *filter = "") {
        QTest::newRow(name) << QString::fromUtf8(button) << QString::fromUtf8(kind)
                            << QString::fromUtf8(title) << QString::fromUtf8(filter);
    };
    row("page font", "cmdFont", "font", "kiv - Schrift auswählen");
    row("list font", "cmdListFont", "font", "kiv - choose font");
    row("animation", "cmdBrowseForAni", "open", "kiv - Animation",
        "Animation-Files (*.avi);;All Files (*)");
    row("settings folder", "cmdBrowseSettingsPath", "folder", "gus.sdg");
}

void TestOptionControls::cancelledDialogChangesNothing()
{
    QFETCH(QString, button);
    QFETCH(QString, kind);
    QFETCH(QString, title);
    QFETCH(QString, filter);
    auto *clicked = control<QPushButton>(button);
    auto *list = control<QTableView>(QStringLiteral("lstItems"));
    const QString caption = clicked->text();
    const QFont face = clicked->font();
    const QFont listFont = list->font();
    const auto snapshot = Snapshot(m_run->state);
    QTest::mouseClick(clicked, Qt::LeftButton);

    QCOMPARE(m_run->dialogs.calls.size(), 1);
    QCOMPARE(m_run->dialogs.calls[0].kind, kind);
    QCOMPARE(m_run->dialogs.calls[0].title, title);
    QCOMPARE(m_run->dialogs.calls[0].filter, filter);
    QCOMPARE(Changed(snapshot, Snapshot(m_run->state)), QStringList());
    QCOMPARE(clicked->text(), caption);
    QCOMPARE(clicked->font(), face);
    QCOMPARE(list->font(), listFont);
}

void TestOptionControls::pageFontButton()
{
    auto *button = control<QPushButton>(QStringLiteral("cmdFont"));
    QFont chosen(QStringLiteral("DejaVu Serif"));
    chosen.setPointSizeF(14);
    m_run->dialogs.fontAnswers = { chosen };
    const auto snapshot = Snapshot(m_run->state);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(m_run->state.sgFont, QStringLiteral("DejaVu Serif"));
    QCOMPARE(button->text(), QStringLiteral("DejaVu Serif"));
    QCOMPARE(button->font().family(), QStringLiteral("DejaVu Serif"));
    // The size is not used.
    QCOMPARE(Changed(snapshot, Snapshot(m_run->state)), QStringList { QStringLiteral("sgFont") });
}

void TestOptionControls::listFontButtonUnderGerman()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    auto *button = control<QPushButton>(QStringLiteral("cmdListFont"));
    auto *list = control<QTableView>(QStringLiteral("lstItems"));
    QFont bold = list->font();
    bold.setBold(true);
    list->setFont(bold);
    const QString buttonFace = button->font().family();

    QFont chosen(QStringLiteral("Arial"));
    chosen.setPointSizeF(8.25);
    m_run->dialogs.fontAnswers = { chosen };
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(button->text(), QStringLiteral("Arial, 8,25"));
    QCOMPARE(m_run->state.sgListFont, QStringLiteral("Arial"));
    QCOMPARE(m_run->state.sgListFontsize, QStringLiteral("8,25"));
    QCOMPARE(list->font().family(), QStringLiteral("Arial"));
    QCOMPARE(list->font().pointSizeF(), 8.25);
    QVERIFY(!list->font().bold());
    QCOMPARE(button->font().family(), buttonFace);
}

QTEST_MAIN(TestOptionControls)
#include "tst_option_controls.moc"
