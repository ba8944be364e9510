// The main window's option controls, driven through their widgets: each box writes its own
// field of ProgramState and no other; the font buttons and their dialogs.

#include "ui/window_fixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

namespace {

// Which field a box writes, written out here from the window's documentation of its controls.
bool &CheckField(ProgramState &state, const QString &box)
{
    if (box.startsWith(u"chkFileTag_"))
        return state.bgFileTag[size_t(box.back().digitValue())];
    return state.bgRecursive;
}

const std::tuple<const char *, OptionText, QString ProgramState::*> kTextBoxes[] {
    { "txtHoverColor", OptionText::HoverColor, &ProgramState::sgHoverColor },
    { "txtFontSizeFILE", OptionText::FontSizeFILE, &ProgramState::sgFontSizeFILE },
};

// Every option field as text, to see that a control changed only its own.
QStringList Snapshot(const ProgramState &s)
{
    QStringList values { s.sgBackgroundColor, s.sgGridColor,    s.sgTextColor, s.sgHeaderColor,
                         s.sgDirColor,        s.sgDirFontColor, s.sgFileColor, s.sgHoverColor,
                         s.sgFontSizeDIR,     s.sgFontSizeFILE, s.sgFont,      s.sgListFont,
                         s.sgListFontsize,    s.sgAnimation };
    for (bool ticked :
         { s.bgRecursive, s.bgSkipEmptyDir, s.bgToggle, s.bgBorder, s.bgHover, s.bgLink })
        values << QString::number(ticked);
    for (bool ticked : s.bgFileTag)
        values << QString::number(ticked);
    return values;
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

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ProgramRun> m_run;

    template<typename T> T *control(const char *name)
    {
        T *widget = m_run->window->findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("control %s missing", name);
        return widget;
    }

private slots:
    void init()
    {
        m_run.reset();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        UseTemporaryPreferenceStore(*m_dir);
        m_run = std::make_unique<ProgramRun>(m_dir->path());
        QVERIFY(m_run->showAndActivate());
    }

    void checkBox_data()
    {
        QTest::addColumn<QString>("box");
        for (const char *box : { "chkRecursive", "chkFileTag_0", "chkFileTag_4" })
            QTest::newRow(box) << QString::fromUtf8(box);
    }

    void checkBox()
    {
        QFETCH(QString, box);
        auto *check = control<QCheckBox>(qPrintable(box));
        ProgramState &state = m_run->state;
        const bool before = check->isChecked();
        const QStringList snapshot = Snapshot(state);
        ClickBox(check);
        QCOMPARE(CheckField(state, box), !before);
        CheckField(state, box) = before;
        QCOMPARE(Snapshot(state), snapshot); // no other field changed

        // Changed from code without a click: any key's release tells the field.
        check->setCheckState(Qt::Unchecked);
        CheckField(state, box) = true;
        QTest::keyRelease(check, Qt::Key_A);
        QCOMPARE(CheckField(state, box), false);
        // A grey box counts as ticked.
        check->setCheckState(Qt::PartiallyChecked);
        QTest::keyRelease(check, Qt::Key_Shift);
        QCOMPARE(CheckField(state, box), true);
    }

    void linkBoxFromCode()
    {
        auto *check = control<QCheckBox>("chkLink"); // disabled: only a settings file ticks it
        m_run->window->setOptionCheck(OptionCheck::Link, true);
        QCOMPARE(check->isChecked(), true);
        QCOMPARE(m_run->state.bgLink, true);
    }

    void optionBoxes()
    {
        ProgramState &state = m_run->state;
        for (const auto &[name, option, field] : kTextBoxes) {
            auto *edit = control<QLineEdit>(name);
            const QString old = state.*field;
            const QStringList snapshot = Snapshot(state);
            Retype(edit, QStringLiteral("1234567")); // the seventh character is refused
            QCOMPARE(edit->text(), QStringLiteral("123456"));
            QCOMPARE(state.*field, QStringLiteral("123456"));
            state.*field = old;
            QCOMPARE(Snapshot(state), snapshot); // no other field changed
            Retype(edit, QStringLiteral("x,5")); // kept as typed: no number or colour check
            QCOMPARE(state.*field, QStringLiteral("x,5"));
            // Loaded from a settings file: a longer text reaches the field whole.
            m_run->window->setOptionText(option, QStringLiteral("0000ff1"));
            QCOMPARE(edit->text(), QStringLiteral("0000ff"));
            QCOMPARE(state.*field, QStringLiteral("0000ff1"));
        }
    }

    void cancelledDialogsChangeNothing()
    {
        auto *list = control<QTableView>("lstItems");
        const QFont listFont = list->font();
        const QStringList snapshot = Snapshot(m_run->state);
        for (const char *name : { "cmdFont", "cmdListFont", "cmdBrowseForAni" }) {
            auto *clicked = control<QPushButton>(name);
            const QString caption = clicked->text();
            QTest::mouseClick(clicked, Qt::LeftButton);
            QCOMPARE(clicked->text(), caption);
        }
        QCOMPARE(m_run->dialogs.calls.size(), 3);
        QCOMPARE(Snapshot(m_run->state), snapshot);
        QCOMPARE(list->font(), listFont);
    }

    void listFontButtonUnderGerman()
    {
        const auto restoreLocale = qScopeGuard([old = QLocale()] { QLocale::setDefault(old); });
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        auto *button = control<QPushButton>("cmdListFont");
        auto *list = control<QTableView>("lstItems");
        QFont bold = list->font();
        bold.setBold(true);
        list->setFont(bold);

        QFont chosen(QStringLiteral("DejaVu Serif"));
        chosen.setPointSizeF(8.25);
        m_run->dialogs.fontAnswers = { chosen };
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(button->text(), QStringLiteral("DejaVu Serif, 8,25"));
        QCOMPARE(m_run->state.sgListFontsize, QStringLiteral("8,25"));
        QCOMPARE(list->font().family(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(list->font().pointSizeF(), 8.25);
        QVERIFY(!list->font().bold());
    }
};

QTEST_MAIN(TestOptionControls)
#include "tst_option_controls.moc"
