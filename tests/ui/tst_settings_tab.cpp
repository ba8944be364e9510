// The settings tab of the main window: the list of settings files under
// the settings folder, choosing an entry, applying it and saving one.

#include "app/settings_list.h"
#include "ui/window_fixture.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeView>
#include <QtTest>

namespace {

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList ListedNames(const QTreeView *view)
{
    QStringList names;
    const QAbstractItemModel *model = view->model();
    for (int row = 0; row < model->rowCount(); ++row)
        names << model->index(row, 0).data().toString() + u'|'
                + model->index(row, 1).data().toString();
    return names;
}

} // namespace

class TestSettingsTab : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void firstRunListsProgramFolder();
    void clickAndUseSettingApplies();
    void doubleClickWithoutEntryDoesNothing();
    void doubleClickAppliesEntry();
    void saveFromOptionsTabShowsSettingsTab_data();
    void saveFromOptionsTabShowsSettingsTab();
    void cancelledSaveWritesNothing();
    void chosenFolderRefreshesList();

private:
    template<typename T> T *control(const QString &name)
    {
        T *widget = m_run->window->findChild<T *>(name);
        if (!widget)
            qFatal("control %s missing", qPrintable(name));
        return widget;
    }
    QString path(const QString &relative) const { return m_dir->path() + u'/' + relative; }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ProgramRun> m_run;
};

void TestSettingsTab::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    UseTemporaryPreferenceStore(*m_dir);
    WriteFile(path(QStringLiteral("b.kiv")), "[htm]\r\nsgGridColor=0000ff\r\nbgBorder=False\r\n");
    WriteFile(path(QStringLiteral("sub/A.KIV")), "[htm]\r\nsgGridColor=00ff00\r\n");
    WriteFile(path(QStringLiteral("notes.txt")), "");
    m_run = std::make_unique<ProgramRun>(m_dir->path());
    QVERIFY(m_run->showAndActivate());
}

void TestSettingsTab::cleanup()
{
    m_run.reset();
    m_dir.reset();
}

void TestSettingsTab::firstRunListsProgramFolder()
{
    auto *list = control<QTreeView>(QStringLiteral("lstsettings"));
    QCOMPARE(ListedNames(list),
             QStringList({ QStringLiteral("A.KIV|") + path(QStringLiteral("sub/")),
                           QStringLiteral("b.kiv|") + m_dir->path() + u'/' }));
    QVERIFY(!m_run->window->settingsList().currentEntry());
}

void TestSettingsTab::clickAndUseSettingApplies()
{
    auto *list = control<QTreeView>(QStringLiteral("lstsettings"));
    control<QTabWidget>(QStringLiteral("tabData"))->setCurrentIndex(frm_main::kTabSettings);
    QApplication::processEvents();
    const QModelIndex second = list->model()->index(1, 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(second).center());
    QCOMPARE(m_run->window->settingsList().currentEntry(), std::optional<int>(1));

    QTest::mouseClick(control<QPushButton>(QStringLiteral("cmdUseSetting")), Qt::LeftButton);
    QCOMPARE(m_run->state.sgGridColor, QStringLiteral("0000ff"));
    QCOMPARE(control<QLineEdit>(QStringLiteral("txtGridColor"))->text(), QStringLiteral("0000ff"));
    QCOMPARE(m_run->state.bgBorder, false);
    QCOMPARE(control<QCheckBox>(QStringLiteral("chkborder"))->isChecked(), false);
}

void TestSettingsTab::doubleClickWithoutEntryDoesNothing()
{
    const QString before = m_run->state.sgGridColor;
    m_run->window->lstsettings_DblClick();
    QCOMPARE(m_run->state.sgGridColor, before);
    QTest::mouseClick(control<QPushButton>(QStringLiteral("cmdUseSetting")), Qt::LeftButton);
    QCOMPARE(m_run->state.sgGridColor, before);
}

void TestSettingsTab::doubleClickAppliesEntry()
{
    auto *list = control<QTreeView>(QStringLiteral("lstsettings"));
    control<QTabWidget>(QStringLiteral("tabData"))->setCurrentIndex(frm_main::kTabSettings);
    QApplication::processEvents();
    const QPoint first = list->visualRect(list->model()->index(0, 0)).center();
    // A double-click is a click (the entry becomes current) followed by the double-click.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, first);
    QCOMPARE(m_run->state.sgGridColor, QStringLiteral("00ff00")); // sub/A.KIV
    QCOMPARE(control<QLineEdit>(QStringLiteral("txtGridColor"))->text(), QStringLiteral("00ff00"));
}

void TestSettingsTab::saveFromOptionsTabShowsSettingsTab_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("tabAfter");
    QTest::newRow("top bar") << 0 << frm_main::kTabSearchResult;
    QTest::newRow("htm/txt options") << 1 << frm_main::kTabSettings;
    QTest::newRow("search options") << 2 << frm_main::kTabSettings;
    QTest::newRow("settings") << 3 << frm_main::kTabSettings;
}

void TestSettingsTab::saveFromOptionsTabShowsSettingsTab()
{
    QFETCH(int, index);
    QFETCH(int, tabAfter);
    auto *tabs = control<QTabWidget>(QStringLiteral("tabData"));
    const int start = index == 3
        ? frm_main::kTabSettings
        : (index == 0 ? frm_main::kTabSearchResult
                      : (index == 1 ? frm_main::kTabPageOptions : frm_main::kTabSearchOptions));
    tabs->setCurrentIndex(start);
    m_run->window->setOptionText(OptionText::GridColor, QStringLiteral("abcdef"));
    m_run->dialogs.fileAnswers = { path(QStringLiteral("saved.kiv")) };
    control<QAbstractButton>(QStringLiteral("cmdsave_%1").arg(index))->click();

    QCOMPARE(tabs->currentIndex(), tabAfter);
    QCOMPARE(m_run->dialogs.calls.size(), 1);
    QCOMPARE(m_run->dialogs.calls[0].kind, QStringLiteral("save"));
    QCOMPARE(m_run->dialogs.calls[0].title, QStringLiteral("KIV Save Settings"));
    QCOMPARE(m_run->dialogs.calls[0].filter, QStringLiteral("kiv-Settings (*.kiv)"));
    QVERIFY(m_run->dialogs.calls[0].confirmOverwrite);
    QFile saved(path(QStringLiteral("saved.kiv")));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll().contains("sgGridColor=abcdef"));
    // The list is refreshed and shows the new file.
    QVERIFY(ListedNames(control<QTreeView>(QStringLiteral("lstsettings")))
                .contains(QStringLiteral("saved.kiv|") + m_dir->path() + u'/'));
}

void TestSettingsTab::cancelledSaveWritesNothing()
{
    control<QAbstractButton>(QStringLiteral("cmdsave_3"))->click();
    QCOMPARE(m_run->dialogs.calls.size(), 1);
    QCOMPARE(QDir(m_dir->path()).entryList({ QStringLiteral("*.kiv") }, QDir::Files),
             QStringList({ QStringLiteral("b.kiv") }));
}

void TestSettingsTab::chosenFolderRefreshesList()
{
    m_run->dialogs.folderAnswers = { path(QStringLiteral("sub")) };
    QTest::mouseClick(control<QPushButton>(QStringLiteral("cmdBrowseSettingsPath")),
                      Qt::LeftButton);
    QCOMPARE(ListedNames(control<QTreeView>(QStringLiteral("lstsettings"))),
             QStringList({ QStringLiteral("A.KIV|") + path(QStringLiteral("sub/")) }));
    QCOMPARE(control<QLineEdit>(QStringLiteral("txtSettingsPath"))->text(),
             path(QStringLiteral("sub/")));

    // Cancelling the picker empties the folder text and keeps the list.
    QTest::mouseClick(control<QPushButton>(QStringLiteral("cmdBrowseSettingsPath")),
                      Qt::LeftButton);
    QCOMPARE(control<QLineEdit>(QStringLiteral("txtSettingsPath"))->text(), QString());
    QCOMPARE(control<QTreeView>(QStringLiteral("lstsettings"))->model()->rowCount(), 1);
}

QTEST_MAIN(TestSettingsTab)
#include "tst_settings_tab.moc"
