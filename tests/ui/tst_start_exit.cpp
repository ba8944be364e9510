// Start-up and exit of the main window: placing it, restoring the last
// run's options on the first activation only, saving them when it closes.

#include "ui/window_fixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QToolButton>
#include <QTreeView>
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

} // namespace

class TestStartExit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void loadPlacesWindowAndLists();
    void firstRunShowsDefaults();
    void secondActivationChangesNothing();
    void shownWithoutActivationRestores();
    void exitSavesAndNextRunRestores();
    void closeBeforeActivationKeepsStore();
    void onlyThisDirTickedEveryRun();
    void storedValuesReachControls();

private:
    template<typename T> static T *control(ProgramRun &run, const char *name)
    {
        T *widget = run.window->findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("control %s missing", name);
        return widget;
    }
    static void store(const char *key, const char *text)
    {
        PreferenceStore().SaveValue(QStringLiteral("Morbanta"), QStringLiteral("kiv"),
                                    QLatin1String(key), QString::fromUtf8(text));
    }

    QLocale m_originalLocale;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestStartExit::initTestCase()
{
    m_originalLocale = QLocale();
}

void TestStartExit::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    UseTemporaryPreferenceStore(*m_dir);
}

void TestStartExit::cleanup()
{
    m_dir.reset();
    QLocale::setDefault(m_originalLocale);
}

void TestStartExit::loadPlacesWindowAndLists()
{
    ProgramRun run(m_dir->path());
    QCOMPARE(run.state.programFolder, m_dir->path() + u'/');
    QVERIFY(!run.window->restored());
    // 12015 x 8880 twips at 15 twips a pixel.
    QCOMPARE(run.window->size(), QSize(801, 592));

    // The result list's columns: hidden where their width is 0.
    auto *list = control<QTableView>(run, "lstItems");
    QCOMPARE(list->model()->columnCount(), 9);
    const QList<int> widths { 510, 0, 0, 61, 75, 35, 35, 23, 0 };
    for (int column = 0; column < 9; ++column) {
        QCOMPARE(list->isColumnHidden(column), widths[column] == 0);
        if (widths[column] != 0)
            QCOMPARE(list->columnWidth(column), widths[column]);
    }

    auto *settings = control<QTreeView>(run, "lstsettings");
    QCOMPARE(settings->model()->columnCount(), 2);
    QCOMPARE(settings->model()->headerData(0, Qt::Horizontal).toString(),
             QStringLiteral("settings-file"));
    QCOMPARE(settings->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("path"));
    QCOMPARE(settings->columnWidth(0), 522);

    // First run: centred in twips, (screen - window) / 2, then back to pixels.
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const QSize window = run.window->frameGeometry().size();
    const QPoint centre(qRound((screen.width() - window.width()) * 15 / 2 / 15.0),
                        qRound((screen.height() - window.height()) * 15 / 2 / 15.0));
    QCOMPARE(run.window->pos(), centre);
    QVERIFY(run.showAndActivate());
    QCOMPARE(run.window->pos(), centre);
}

void TestStartExit::firstRunShowsDefaults()
{
    ProgramRun run(m_dir->path());
    QVERIFY(run.showAndActivate());
    const auto text = [&](const char *name) { return control<QLineEdit>(run, name)->text(); };
    QCOMPARE(text("txt_DBPathName"), QString());
    QCOMPARE(text("txtEXT"), QStringLiteral("*.*"));
    for (const char *name : { "chkborder", "chkRecursive", "chkHover", "chkToggle",
                              "chkSkipEmptyDir", "chkFileTag_0", "chkFileTag_4" })
        QVERIFY2(control<QCheckBox>(run, name)->isChecked(), name);
    QVERIFY(!control<QCheckBox>(run, "chkLink")->isChecked());

    // The restored values reach their boxes (each value itself is the restore's own concern).
    const QList<std::pair<const char *, QString>> texts {
        { "txtTextColor", QStringLiteral("000000") },
        { "txtFontSizeDIR", QStringLiteral("9") },
        { "txtFileColor", QStringLiteral("ffffff") },
        { "txtAnimation", m_dir->path() + QStringLiteral("/animation/spin.avi") },
        // The settings folder is the program folder; listing it gives it its separator.
        { "txtSettingsPath", m_dir->path() + u'/' },
    };
    for (const auto &[box, expected] : texts)
        QCOMPARE(text(box), expected);

    auto *fontButton = control<QPushButton>(run, "cmdFont");
    QCOMPARE(fontButton->text(), QStringLiteral("Arial"));
    QCOMPARE(fontButton->font().family(), QStringLiteral("Arial"));
    QCOMPARE(control<QPushButton>(run, "cmdListFont")->text(), QStringLiteral("Arial, 8"));
    auto *list = control<QTableView>(run, "lstItems");
    QCOMPARE(list->font().family(), QStringLiteral("Arial"));
    QCOMPARE(list->font().pointSizeF(), 8.0);
}

void TestStartExit::secondActivationChangesNothing()
{
    ProgramRun run(m_dir->path());
    QVERIFY(run.showAndActivate());
    auto *grid = control<QLineEdit>(run, "txtGridColor");
    Retype(grid, QStringLiteral("abcdef"));
    auto *recursive = control<QCheckBox>(run, "chkRecursive");
    ClickBox(recursive);
    QCOMPARE(run.state.bgRecursive, false);

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
    QCOMPARE(recursive->isChecked(), false);
    QCOMPARE(run.state.bgRecursive, false);
}

void TestStartExit::shownWithoutActivationRestores()
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
    store("sgGridColor", "654321");
    ProgramRun run(m_dir->path());
    // Loaded but not yet activated: the controls hold their initial values.
    QCOMPARE(control<QLineEdit>(run, "txtGridColor")->text(), QStringLiteral("FFFFFF"));
    QCOMPARE(run.state.sgGridColor, QString());
    run.window->installEventFilter(&swallow);
    run.window->show();
    QVERIFY(!run.window->restored());
    QTRY_VERIFY(run.window->restored());
    QCOMPARE(run.state.sgGridColor, QStringLiteral("654321"));
    run.window->removeEventFilter(&swallow);
}

void TestStartExit::exitSavesAndNextRunRestores()
{
    {
        ProgramRun run(m_dir->path());
        QVERIFY(run.showAndActivate());
        run.window->setOptionText(OptionText::DBPathName, QStringLiteral("/data/photos"));
        Retype(control<QLineEdit>(run, "txtEXT"), QStringLiteral("*.jpg"));
        Retype(control<QLineEdit>(run, "txtHoverColor"), QStringLiteral("FF8000"));
        ClickBox(control<QCheckBox>(run, "chkFileTag_3"));
        Retype(control<QLineEdit>(run, "txtFontSizeFILE"), QStringLiteral("7,5"));
        run.window->move(100, 50);
        QWidget info;
        info.setWindowTitle(QStringLiteral("Information"));
        info.show();
        QVERIFY(QTest::qWaitForWindowExposed(&info));
        QTest::mouseClick(control<QToolButton>(run, "cmdexit"), Qt::LeftButton);
        QVERIFY(!run.window->isVisible());
        QVERIFY(!info.isVisible()); // the other windows close with it
    }
    const QList<std::pair<const char *, QString>> stored {
        { "txt_DBPathName", QStringLiteral("/data/photos") },
        { "txtEXT", QStringLiteral("*.jpg") },
        { "sgHoverColor", QStringLiteral("FF8000") },
        { "chkFileTag3", QStringLiteral("False") },
        { "chkFileTag2", QStringLiteral("True") },
        { "sgFontSizeFILE", QStringLiteral("7,5") },
        { "DESKTOP_LEFT", QStringLiteral("1500") },
        { "DESKTOP_TOP", QStringLiteral("750") },
        { "txtSettingsPath", m_dir->path() + u'/' },
    };
    for (const auto &[key, expected] : stored)
        QCOMPARE(StoredValue(QLatin1String(key)), expected);

    ProgramRun next(m_dir->path());
    QCOMPARE(next.window->pos(), QPoint(100, 50));
    QVERIFY(next.showAndActivate());
    QCOMPARE(next.window->pos(), QPoint(100, 50));
    QCOMPARE(control<QLineEdit>(next, "txt_DBPathName")->text(), QStringLiteral("/data/photos"));
    QCOMPARE(control<QLineEdit>(next, "txtHoverColor")->text(), QStringLiteral("FF8000"));
    QCOMPARE(control<QCheckBox>(next, "chkFileTag_3")->isChecked(), false);
    QCOMPARE(next.state.sgFontSizeFILE, QStringLiteral("7,5"));
}

void TestStartExit::closeBeforeActivationKeepsStore()
{
    store("sgGridColor", "123456");
    store("txtEXT", "*.txt");
    {
        ProgramRun run(m_dir->path());
        QVERIFY(run.window->close());
    }
    // Nothing was restored, so nothing blank was written over the last run's options.
    QCOMPARE(StoredValue(QStringLiteral("sgGridColor")), QStringLiteral("123456"));
    QCOMPARE(StoredValue(QStringLiteral("txtEXT")), QStringLiteral("*.txt"));
}

void TestStartExit::onlyThisDirTickedEveryRun()
{
    store("chkOnlyThisDir", "False");
    {
        ProgramRun run(m_dir->path());
        QVERIFY(run.showAndActivate());
        auto *box = control<QCheckBox>(run, "chkOnlyThisDir");
        QVERIFY(box->isChecked());
        ClickBox(box);
        QVERIFY(!box->isChecked());
        QVERIFY(run.window->close());
    }
    ProgramRun next(m_dir->path());
    QVERIFY(next.showAndActivate());
    QVERIFY(control<QCheckBox>(next, "chkOnlyThisDir")->isChecked());
}

void TestStartExit::storedValuesReachControls()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    store("bgBorder", "False");
    store("bgLink", "true");
    store("bgHover", "not a yes/no");
    store("sgFont", "DejaVu Serif");
    store("sgListFont", "Arial");
    store("sgListFontsize", "");
    store("sgAnimation", "");
    store("txtSettingsPath", "");
    ProgramRun run(m_dir->path());
    QVERIFY(run.showAndActivate());
    const auto ticked
        = [&](const char *name) { return control<QCheckBox>(run, name)->isChecked(); };
    QVERIFY(!ticked("chkborder"));
    QVERIFY(ticked("chkLink"));
    // An unreadable yes/no keeps the field's start value (false), and the box follows it.
    QVERIFY(!ticked("chkHover"));
    QCOMPARE(control<QPushButton>(run, "cmdFont")->text(), QStringLiteral("DejaVu Serif"));
    QCOMPARE(control<QLineEdit>(run, "txtAnimation")->text(), QString());
    QCOMPARE(control<QLineEdit>(run, "txtSettingsPath")->text(), QString());

    // An empty list font size becomes 8.25, written in the locale.
    auto *button = control<QPushButton>(run, "cmdListFont");
    QCOMPARE(button->text(), QStringLiteral("Arial, 8,25"));
    QCOMPARE(button->font().family(), QStringLiteral("Arial")); // shown in the list font's face
    auto *list = control<QTableView>(run, "lstItems");
    QCOMPARE(list->font().pointSizeF(), 8.25);
    QVERIFY(!list->font().bold());
}

QTEST_MAIN(TestStartExit)
#include "tst_start_exit.moc"
