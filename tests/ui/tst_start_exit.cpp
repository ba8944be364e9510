// Start-up and exit of the main window: placing it, restoring the last
// run's options on the first activation only, saving them when it closes.

#include "scan/result_list.h"
#include "ui/window_fixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

class TestStartExit : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void loadFillsStateAndWindow();
    void firstRunCentresWindow();
    void firstRunShowsDefaults();
    void restoreWaitsForActivation();
    void secondActivationChangesNothing();
    void shownWithoutActivationRestores();
    void unloadSavesAndNextRunRestores();
    void exitButtonClosesAndSaves();
    void unloadClosesOtherWindows();
    void closeBeforeActivationKeepsStore();
    void onlyThisDirTickedEveryRun();
    void storedEmptyListSizeUnderGerman();
    void storedValuesReachControls();

private:
    template<typename T> static T *control(ProgramRun &run, const QString &name)
    {
        T *widget = run.window->findChild<T *>(name);
        if (!widget)
            qFatal("control %s missing", qPrintable(name));
        return widget;
    }
    static void store(const QString &key, const QString &text)
    {
        PreferenceStore().SaveValue(QStringLiteral("Morbanta"), QStringLiteral("kiv"), key, text);
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

void TestStartExit::loadFillsStateAndWindow()
{
    ProgramRun run(m_dir->path());
    QCOMPARE(run.state.makerName, QStringLiteral("Morbanta"));
    QCOMPARE(run.state.shortName, QStringLiteral("kiv"));
    QCOMPARE(run.state.versionText, QStringLiteral("1.12.1128"));
    QCOMPARE(run.state.programFolder, m_dir->path() + u'/');
    QVERIFY(run.state.startTime.isValid());
    QVERIFY(!run.window->restored());
    QCOMPARE(run.window->windowTitle(), QStringLiteral("K I V"));
    // 12015 x 8880 twips at 15 twips a pixel.
    QCOMPARE(run.window->size(), QSize(801, 592));

    // The result list's columns: hidden where their width is 0.
    auto *list = control<QTableView>(run, QStringLiteral("lstItems"));
    QCOMPARE(list->model()->columnCount(), 9);
    const QList<bool> hidden { false, true, true, false, false, false, false, false, true };
    const QList<int> widths { 510, 0, 0, 61, 75, 35, 35, 23, 0 };
    for (int column = 0; column < 9; ++column) {
        QCOMPARE(list->isColumnHidden(column), hidden[column]);
        if (!hidden[column])
            QCOMPARE(list->columnWidth(column), widths[column]);
    }

    auto *settings = control<QTreeView>(run, QStringLiteral("lstsettings"));
    QCOMPARE(settings->model()->columnCount(), 2);
    QCOMPARE(settings->model()->headerData(0, Qt::Horizontal).toString(),
             QStringLiteral("settings-file"));
    QCOMPARE(settings->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("path"));
    QCOMPARE(settings->columnWidth(0), 522);
}

void TestStartExit::firstRunCentresWindow()
{
    ProgramRun run(m_dir->path());
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    const QSize window = run.window->frameGeometry().size();
    // Centre in twips, (screen - window) / 2, then back to pixels.
    const int leftTwips = (screen.width() * 15 - window.width() * 15) / 2;
    const int topTwips = (screen.height() * 15 - window.height() * 15) / 2;
    QCOMPARE(run.window->pos(), QPoint(qRound(leftTwips / 15.0), qRound(topTwips / 15.0)));
    QVERIFY(run.showAndActivate());
    QCOMPARE(run.window->pos(), QPoint(qRound(leftTwips / 15.0), qRound(topTwips / 15.0)));
}

void TestStartExit::firstRunShowsDefaults()
{
    ProgramRun run(m_dir->path());
    QVERIFY(run.showAndActivate());
    const ProgramState &s = run.state;
    const auto text
        = [&](const char *name) { return control<QLineEdit>(run, QLatin1String(name))->text(); };
    const auto ticked
        = [&](const QString &name) { return control<QCheckBox>(run, name)->isChecked(); };

    QCOMPARE(text("txt_DBPathName"), QString());
    QCOMPARE(text("txtEXT"), QStringLiteral("*.*"));
    QVERIFY(s.bgBorder && ticked(QStringLiteral("chkborder")));
    QVERIFY(s.bgRecursive && ticked(QStringLiteral("chkRecursive")));
    QVERIFY(!s.bgLink && !ticked(QStringLiteral("chkLink")));
    QVERIFY(s.bgHover && ticked(QStringLiteral("chkHover")));
    QVERIFY(s.bgToggle && ticked(QStringLiteral("chkToggle")));
    QVERIFY(s.bgSkipEmptyDir && ticked(QStringLiteral("chkSkipEmptyDir")));
    for (int i = 0; i < 5; ++i)
        QVERIFY(s.bgFileTag[size_t(i)] && ticked(QStringLiteral("chkFileTag_%1").arg(i)));

    const QList<std::tuple<const char *, const QString *, QString>> texts {
        { "txtBackgroundColor", &s.sgBackgroundColor, QStringLiteral("FFFFFF") },
        { "txtGridColor", &s.sgGridColor, QStringLiteral("FFFFFF") },
        { "txtTextColor", &s.sgTextColor, QStringLiteral("000000") },
        { "txtFontSizeFILE", &s.sgFontSizeFILE, QStringLiteral("8") },
        { "txtFontSizeDIR", &s.sgFontSizeDIR, QStringLiteral("9") },
        { "txtHeaderColor", &s.sgHeaderColor, QStringLiteral("eaeaea") },
        { "txtDirColor", &s.sgDirColor, QStringLiteral("eaeaea") },
        { "txtDirFontColor", &s.sgDirFontColor, QStringLiteral("000000") },
        { "txtFileColor", &s.sgFileColor, QStringLiteral("ffffff") },
        { "txtHoverColor", &s.sgHoverColor, QStringLiteral("eaeaea") },
        { "txtAnimation", &s.sgAnimation, m_dir->path() + QStringLiteral("/animation/spin.avi") },
    };
    for (const auto &[box, field, expected] : texts) {
        QCOMPARE(*field, expected);
        QCOMPARE(text(box), expected);
    }
    // Swatches follow the restored texts.
    QCOMPARE(
        control<QLineEdit>(run, QStringLiteral("txtTextColor"))->palette().color(QPalette::Base),
        QColor(0, 0, 0));
    QCOMPARE(
        control<QLineEdit>(run, QStringLiteral("txtDirColor"))->palette().color(QPalette::Base),
        QColor(0xea, 0xea, 0xea));

    QCOMPARE(s.sgFont, QStringLiteral("Arial"));
    auto *fontButton = control<QPushButton>(run, QStringLiteral("cmdFont"));
    QCOMPARE(fontButton->text(), QStringLiteral("Arial"));
    QCOMPARE(fontButton->font().family(), QStringLiteral("Arial"));
    QCOMPARE(s.sgListFont, QStringLiteral("Arial"));
    QCOMPARE(s.sgListFontsize, QStringLiteral("8"));
    QCOMPARE(control<QPushButton>(run, QStringLiteral("cmdListFont"))->text(),
             QStringLiteral("Arial, 8"));
    auto *list = control<QTableView>(run, QStringLiteral("lstItems"));
    QCOMPARE(list->font().family(), QStringLiteral("Arial"));
    QCOMPARE(list->font().pointSizeF(), 8.0);

    // The settings folder is the program folder; listing it gives it its separator.
    QCOMPARE(text("txtSettingsPath"), m_dir->path() + u'/');
}

void TestStartExit::restoreWaitsForActivation()
{
    store(QStringLiteral("sgGridColor"), QStringLiteral("123456"));
    ProgramRun run(m_dir->path());
    // Loaded but not yet activated: the controls hold their initial values.
    QCOMPARE(control<QLineEdit>(run, QStringLiteral("txtGridColor"))->text(),
             QStringLiteral("FFFFFF"));
    QCOMPARE(run.state.sgGridColor, QString());
    QVERIFY(run.showAndActivate());
    QCOMPARE(run.state.sgGridColor, QStringLiteral("123456"));
}

void TestStartExit::secondActivationChangesNothing()
{
    ProgramRun run(m_dir->path());
    QVERIFY(run.showAndActivate());
    auto *grid = control<QLineEdit>(run, QStringLiteral("txtGridColor"));
    grid->selectAll();
    QTest::keyClicks(grid, QStringLiteral("abcdef"));
    auto *recursive = control<QCheckBox>(run, QStringLiteral("chkRecursive"));
    QTest::mouseClick(recursive, Qt::LeftButton, {}, QPoint(6, recursive->height() / 2));
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
    store(QStringLiteral("sgGridColor"), QStringLiteral("654321"));
    ProgramRun run(m_dir->path());
    run.window->installEventFilter(&swallow);
    run.window->show();
    QVERIFY(!run.window->restored());
    QTRY_VERIFY(run.window->restored());
    QCOMPARE(run.state.sgGridColor, QStringLiteral("654321"));
    run.window->removeEventFilter(&swallow);
}

void TestStartExit::unloadSavesAndNextRunRestores()
{
    {
        ProgramRun run(m_dir->path());
        QVERIFY(run.showAndActivate());
        run.window->setOptionText(OptionText::DBPathName, QStringLiteral("/data/photos"));
        auto *pattern = control<QLineEdit>(run, QStringLiteral("txtEXT"));
        pattern->selectAll();
        QTest::keyClicks(pattern, QStringLiteral("*.jpg"));
        auto *hover = control<QLineEdit>(run, QStringLiteral("txtHoverColor"));
        hover->selectAll();
        QTest::keyClicks(hover, QStringLiteral("FF8000"));
        auto *tag = control<QCheckBox>(run, QStringLiteral("chkFileTag_3"));
        QTest::mouseClick(tag, Qt::LeftButton, {}, QPoint(6, tag->height() / 2));
        auto *size = control<QLineEdit>(run, QStringLiteral("txtFontSizeFILE"));
        size->selectAll();
        QTest::keyClicks(size, QStringLiteral("7,5"));
        run.window->move(100, 50);
        QVERIFY(run.window->close());
    }
    QCOMPARE(StoredValue(QStringLiteral("txt_DBPathName")), QStringLiteral("/data/photos"));
    QCOMPARE(StoredValue(QStringLiteral("txtEXT")), QStringLiteral("*.jpg"));
    QCOMPARE(StoredValue(QStringLiteral("sgHoverColor")), QStringLiteral("FF8000"));
    QCOMPARE(StoredValue(QStringLiteral("chkFileTag3")), QStringLiteral("False"));
    QCOMPARE(StoredValue(QStringLiteral("chkFileTag2")), QStringLiteral("True"));
    QCOMPARE(StoredValue(QStringLiteral("sgFontSizeFILE")), QStringLiteral("7,5"));
    QCOMPARE(StoredValue(QStringLiteral("DESKTOP_LEFT")), QStringLiteral("1500"));
    QCOMPARE(StoredValue(QStringLiteral("DESKTOP_TOP")), QStringLiteral("750"));
    QCOMPARE(StoredValue(QStringLiteral("txtSettingsPath")), m_dir->path() + u'/');

    ProgramRun next(m_dir->path());
    QCOMPARE(next.window->pos(), QPoint(100, 50));
    QVERIFY(next.showAndActivate());
    QCOMPARE(next.window->pos(), QPoint(100, 50));
    QCOMPARE(control<QLineEdit>(next, QStringLiteral("txt_DBPathName"))->text(),
             QStringLiteral("/data/photos"));
    QCOMPARE(control<QLineEdit>(next, QStringLiteral("txtEXT"))->text(), QStringLiteral("*.jpg"));
    QCOMPARE(control<QLineEdit>(next, QStringLiteral("txtHoverColor"))->text(),
             QStringLiteral("FF8000"));
    QCOMPARE(next.state.sgHoverColor, QStringLiteral("FF8000"));
    QCOMPARE(
        control<QLineEdit>(next, QStringLiteral("txtHoverColor"))->palette().color(QPalette::Base),
        QColor(255, 128, 0));
    QCOMPARE(next.state.bgFileTag[3], false);
    QCOMPARE(control<QCheckBox>(next, QStringLiteral("chkFileTag_3"))->isChecked(), false);
    QCOMPARE(next.state.bgFileTag[2], true);
    QCOMPARE(next.state.sgFontSizeFILE, QStringLiteral("7,5"));
}

void TestStartExit::exitButtonClosesAndSaves()
{
    ProgramRun run(m_dir->path());
    QVERIFY(run.showAndActivate());
    run.window->setOptionText(OptionText::DirColor, QStringLiteral("0000ff"));
    QTest::mouseClick(control<QToolButton>(run, QStringLiteral("cmdexit")), Qt::LeftButton);
    QVERIFY(!run.window->isVisible());
    QCOMPARE(StoredValue(QStringLiteral("sgDirColor")), QStringLiteral("0000ff"));
}

void TestStartExit::unloadClosesOtherWindows()
{
    ProgramRun run(m_dir->path());
    QVERIFY(run.showAndActivate());
    QWidget info;
    info.setWindowTitle(QStringLiteral("Information"));
    info.show();
    QVERIFY(QTest::qWaitForWindowExposed(&info));
    QVERIFY(run.window->close());
    QVERIFY(!info.isVisible());
}

void TestStartExit::closeBeforeActivationKeepsStore()
{
    store(QStringLiteral("sgGridColor"), QStringLiteral("123456"));
    store(QStringLiteral("txtEXT"), QStringLiteral("*.txt"));
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
    store(QStringLiteral("chkOnlyThisDir"), QStringLiteral("False"));
    {
        ProgramRun run(m_dir->path());
        QVERIFY(run.showAndActivate());
        auto *box = control<QCheckBox>(run, QStringLiteral("chkOnlyThisDir"));
        QVERIFY(box->isChecked());
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        QVERIFY(!box->isChecked());
        QVERIFY(run.window->close());
    }
    ProgramRun next(m_dir->path());
    QVERIFY(next.showAndActivate());
    QVERIFY(control<QCheckBox>(next, QStringLiteral("chkOnlyThisDir"))->isChecked());
}

void TestStartExit::storedEmptyListSizeUnderGerman()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    store(QStringLiteral("sgListFontsize"), QString());
    store(QStringLiteral("sgListFont"), QStringLiteral("Arial"));
    ProgramRun run(m_dir->path());
    QVERIFY(run.showAndActivate());
    QCOMPARE(run.state.sgListFontsize, QStringLiteral("8,25"));
    auto *button = control<QPushButton>(run, QStringLiteral("cmdListFont"));
    QCOMPARE(button->text(), QStringLiteral("Arial, 8,25"));
    // At start the caption shows in the list font's face.
    QCOMPARE(button->font().family(), QStringLiteral("Arial"));
    auto *list = control<QTableView>(run, QStringLiteral("lstItems"));
    QCOMPARE(list->font().pointSizeF(), 8.25);
    QVERIFY(!list->font().bold());
}

void TestStartExit::storedValuesReachControls()
{
    store(QStringLiteral("bgBorder"), QStringLiteral("False"));
    store(QStringLiteral("bgLink"), QStringLiteral("true"));
    store(QStringLiteral("bgToggle"), QStringLiteral("0"));
    store(QStringLiteral("bgHover"), QStringLiteral("not a yes/no"));
    store(QStringLiteral("sgDirColor"), QStringLiteral("zz0000"));
    store(QStringLiteral("sgFont"), QStringLiteral("DejaVu Serif"));
    store(QStringLiteral("sgAnimation"), QString());
    store(QStringLiteral("txtSettingsPath"), QString());
    ProgramRun run(m_dir->path());
    QVERIFY(run.showAndActivate());
    QVERIFY(!run.state.bgBorder
            && !control<QCheckBox>(run, QStringLiteral("chkborder"))->isChecked());
    QVERIFY(run.state.bgLink && control<QCheckBox>(run, QStringLiteral("chkLink"))->isChecked());
    QVERIFY(!run.state.bgToggle
            && !control<QCheckBox>(run, QStringLiteral("chkToggle"))->isChecked());
    // An unreadable yes/no keeps the field's start value (false), and the box follows it.
    QVERIFY(!run.state.bgHover
            && !control<QCheckBox>(run, QStringLiteral("chkHover"))->isChecked());
    QCOMPARE(run.state.sgDirColor, QStringLiteral("zz0000"));
    QCOMPARE(run.state.sgHoverColor, QStringLiteral("zz0000")); // follows the folder colour
    QCOMPARE(
        control<QLineEdit>(run, QStringLiteral("txtDirColor"))->palette().color(QPalette::Base),
        QColor(0, 0, 0));
    QCOMPARE(control<QPushButton>(run, QStringLiteral("cmdFont"))->text(),
             QStringLiteral("DejaVu Serif"));
    QCOMPARE(run.state.sgAnimation, QString());
    QCOMPARE(control<QLineEdit>(run, QStringLiteral("txtAnimation"))->text(), QString());
    QCOMPARE(control<QLineEdit>(run, QStringLiteral("txtSettingsPath"))->text(), QString());
}

QTEST_MAIN(TestStartExit)
#include "tst_start_exit.moc"
