// The font buttons of the main window and their dialogs (what every option
// control writes into ProgramState: tst_option_table).

#include "support/program_options.h"
#include "ui/window_fixture.h"

#include <QPushButton>
#include <QTableView>
#include <QtTest>

namespace {

// Every option field as text, to see that nothing changed.
QStringList Snapshot(const ProgramState &state)
{
    QStringList values = textOptions(state);
    for (bool ticked : yesNoOptions(state))
        values << QString::number(ticked);
    return values;
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
