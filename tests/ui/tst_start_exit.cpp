// Start-up and exit of the main window: restoring the last run's options on
// the first activation only, saving them when it closes.

#include "ui/window_fixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

namespace {

// Clicks the box's tick square, which is always a hit whatever its caption's length.
void ClickBox(QCheckBox *box)
{
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

void Retype(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

template<typename T> T *Control(ProgramRun &run, const char *name)
{
    T *widget = run.window->findChild<T *>(QLatin1String(name));
    if (!widget)
        qFatal("control %s missing", name);
    return widget;
}

void Store(const char *key, const char *text)
{
    PreferenceStore().SaveValue(QStringLiteral("Morbanta"), QStringLiteral("kiv"),
                                QLatin1String(key), QString::fromUtf8(text));
}

} // namespace

class TestStartExit : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        UseTemporaryPreferenceStore(*m_dir);
    }

    void secondActivationChangesNothing()
    {
        ProgramRun run(m_dir->path());
        QVERIFY(run.showAndActivate());
        auto *grid = Control<QLineEdit>(run, "txtGridColor");
        Retype(grid, QStringLiteral("abcdef"));

        // Another window takes the focus and gives it back, as the info window does.
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        run.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(run.window.get()));
        run.window->RestoreOptions();

        QCOMPARE(grid->text(), QStringLiteral("abcdef"));
        QCOMPARE(run.state.sgGridColor, QStringLiteral("abcdef"));
    }

    void shownWithoutActivationRestores()
    {
        // A window system that shows the window but never activates it.
        class SwallowActivation : public QObject
        {
        public:
            bool eventFilter(QObject *, QEvent *event) override
            {
                return event->type() == QEvent::WindowActivate;
            }
        } swallow;
        Store("sgGridColor", "654321");
        ProgramRun run(m_dir->path());
        run.window->installEventFilter(&swallow);
        run.window->show();
        QVERIFY(!run.window->restored());
        QTRY_VERIFY(run.window->restored());
        QCOMPARE(run.state.sgGridColor, QStringLiteral("654321"));
    }

    void exitSavesAndNextRunRestores()
    {
        const auto restoreLocale = qScopeGuard([old = QLocale()] { QLocale::setDefault(old); });
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        Store("chkOnlyThisDir", "False");
        {
            ProgramRun run(m_dir->path());
            QVERIFY(run.showAndActivate());
            auto *onlyThisDir = Control<QCheckBox>(run, "chkOnlyThisDir");
            QVERIFY(onlyThisDir->isChecked()); // ticked every run, whatever was stored
            ClickBox(onlyThisDir);
            run.window->setOptionText(OptionText::DBPathName, QStringLiteral("/data/photos"));
            ClickBox(Control<QCheckBox>(run, "chkFileTag_3"));
            Retype(Control<QLineEdit>(run, "txtFontSizeFILE"), QStringLiteral("7,5"));
            run.window->move(100, 50);
            QWidget info;
            info.show();
            QVERIFY(QTest::qWaitForWindowExposed(&info));
            QTest::mouseClick(Control<QToolButton>(run, "cmdexit"), Qt::LeftButton);
            QVERIFY(!run.window->isVisible());
            QVERIFY(!info.isVisible()); // the other windows close with it
        }
        const auto stored = [](const char *key) { return StoredValue(QLatin1String(key)); };
        QCOMPARE(stored("txt_DBPathName"), QStringLiteral("/data/photos"));
        QCOMPARE(stored("chkFileTag3"), QStringLiteral("False"));
        QCOMPARE(stored("chkFileTag2"), QStringLiteral("True"));
        QCOMPARE(stored("sgFontSizeFILE"), QStringLiteral("7,5"));
        QCOMPARE(stored("DESKTOP_LEFT"), QStringLiteral("1500"));
        QCOMPARE(stored("DESKTOP_TOP"), QStringLiteral("750"));

        Store("sgListFontsize", ""); // becomes 8.25, written in the locale
        ProgramRun next(m_dir->path());
        QVERIFY(next.showAndActivate());
        QCOMPARE(next.window->pos(), QPoint(100, 50));
        QCOMPARE(Control<QLineEdit>(next, "txt_DBPathName")->text(),
                 QStringLiteral("/data/photos"));
        QCOMPARE(Control<QCheckBox>(next, "chkFileTag_3")->isChecked(), false);
        QCOMPARE(Control<QCheckBox>(next, "chkOnlyThisDir")->isChecked(), true);
        QCOMPARE(Control<QPushButton>(next, "cmdListFont")->text(), QStringLiteral("Arial, 8,25"));
        QCOMPARE(Control<QTableView>(next, "lstItems")->font().pointSizeF(), 8.25);
        QCOMPARE(Control<QLineEdit>(next, "txtFontSizeFILE")->text(), QStringLiteral("7,5"));
    }

    void closeBeforeActivationKeepsStore()
    {
        Store("sgGridColor", "123456");
        {
            ProgramRun run(m_dir->path());
            QVERIFY(run.window->close());
        }
        // Nothing was restored, so nothing blank was written over the last run's options.
        QCOMPARE(StoredValue(QStringLiteral("sgGridColor")), QStringLiteral("123456"));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_MAIN(TestStartExit)
#include "tst_start_exit.moc"
