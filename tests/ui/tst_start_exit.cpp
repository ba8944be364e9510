// Start-up and exit of the main window: restoring the last run's options on
// the first activation only, saving them when it closes.

#include "ui/window_fixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>
#include <QtTest>

using namespace Qt::StringLiterals;

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
    PreferenceStore().SaveValue(u"Morbanta"_s, u"kiv"_s, QLatin1String(key),
                                QString::fromUtf8(text));
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
        Retype(grid, u"abcdef"_s);

        // Another window takes the focus and gives it back, as the info window does.
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        run.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(run.window.get()));
        run.window->RestoreOptions();

        QCOMPARE(grid->text(), u"abcdef"_s);
        QCOMPARE(run.state.sgGridColor, u"abcdef"_s);
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
        QCOMPARE(run.state.sgGridColor, u"654321"_s);
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
            run.window->setOptionText(OptionText::DBPathName, u"/data/photos"_s);
            ClickBox(Control<QCheckBox>(run, "chkFileTag_3"));
            Retype(Control<QLineEdit>(run, "txtFontSizeFILE"), u"7,5"_s);
            run.window->move(100, 50);
            QWidget info;
            info.show();
            QVERIFY(QTest::qWaitForWindowExposed(&info));
            QTest::mouseClick(Control<QToolButton>(run, "cmdexit"), Qt::LeftButton);
            QVERIFY(!run.window->isVisible());
            QVERIFY(!info.isVisible()); // the other windows close with it
        }
        const auto stored = [](const char *key) { return StoredValue(QLatin1String(key)); };
        QCOMPARE(stored("txt_DBPathName"), u"/data/photos"_s);
        QCOMPARE(stored("chkFileTag3"), u"False"_s);
        QCOMPARE(stored("chkFileTag2"), u"True"_s);
        QCOMPARE(stored("sgFontSizeFILE"), u"7,5"_s);
        QCOMPARE(stored("DESKTOP_LEFT"), u"1500"_s);
        QCOMPARE(stored("DESKTOP_TOP"), u"750"_s);

        Store("sgListFontsize", ""); // becomes 8.25, written in the locale
        ProgramRun next(m_dir->path());
        QVERIFY(next.showAndActivate());
        QCOMPARE(next.window->pos(), QPoint(100, 50));
        QCOMPARE(Control<QLineEdit>(next, "txt_DBPathName")->text(), u"/data/photos"_s);
        QCOMPARE(Control<QCheckBox>(next, "chkFileTag_3")->isChecked(), false);
        QCOMPARE(Control<QCheckBox>(next, "chkOnlyThisDir")->isChecked(), true);
        QCOMPARE(Control<QPushButton>(next, "cmdListFont")->text(), u"Arial, 8,25"_s);
        QCOMPARE(Control<QTableView>(next, "lstItems")->font().pointSizeF(), 8.25);
        QCOMPARE(Control<QLineEdit>(next, "txtFontSizeFILE")->text(), u"7,5"_s);
    }

    void closeBeforeActivationKeepsStore()
    {
        Store("sgGridColor", "123456");
        {
            ProgramRun run(m_dir->path());
            QVERIFY(run.window->close());
        }
        // Nothing was restored, so nothing blank was written over the last run's options.
        QCOMPARE(StoredValue(u"sgGridColor"_s), u"123456"_s);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_MAIN(TestStartExit)
#include "tst_start_exit.moc"
