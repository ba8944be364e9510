// The settings tab of the main window: the list of settings files under
// the settings folder, choosing an entry, applying it and saving one.
#undef QT_NO_CAST_FROM_ASCII
#include "app/settings_list.h"
#include "ui/window_fixture.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTabWidget>
#include <QTreeView>
#include <QtTest>

class TestSettingsTab : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ProgramRun> m_run;

    template<typename T = QAbstractButton> T *control(const QString &name)
    {
        T *widget = m_run->window->findChild<T *>(name);
        if (!widget)
            qFatal("control %s missing", qPrintable(name));
        return widget;
    }
    QString path(const QString &relative) const { return m_dir->path() + u'/' + relative; }
    QString gridColour() { return control<QLineEdit>("txtGridColor")->text(); }
    // "name|folder" of every listed entry.
    QStringList listed()
    {
        QStringList names;
        const QAbstractItemModel *model = control<QTreeView>("lstsettings")->model();
        for (int row = 0; row < model->rowCount(); ++row)
            names << model->index(row, 0).data().toString() + u'|'
                    + model->index(row, 1).data().toString();
        return names;
    }
    QPoint entryCentre(int row)
    {
        auto *list = control<QTreeView>("lstsettings");
        return list->visualRect(list->model()->index(row, 0)).center();
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        UseTemporaryPreferenceStore(*m_dir);
        QVERIFY(QDir().mkpath(path("sub")));
        for (const auto &[name, bytes] :
             { std::pair<QString, QByteArray> {
                   "b.kiv", "[htm]\r\nsgGridColor=0000ff\r\nbgBorder=False\r\n" },
               { "sub/A.KIV", "[htm]\r\nsgGridColor=00ff00\r\n" },
               { "notes.txt", "" } }) {
            QFile file(path(name));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
        m_run = std::make_unique<ProgramRun>(m_dir->path());
        QVERIFY(m_run->showAndActivate());
    }

    void cleanup()
    {
        m_run.reset();
        m_dir.reset();
    }

    // On the first run the program folder is listed, nothing chosen; without
    // a chosen entry neither "use setting" nor a double-click applies one.
    void firstRunListsProgramFolder()
    {
        QCOMPARE(listed(), QStringList({ "A.KIV|" + path("sub/"), "b.kiv|" + path("") }));
        QVERIFY(!m_run->window->settingsList().currentEntry());
        const QString before = m_run->state.sgGridColor;
        m_run->window->lstsettings_DblClick();
        control("cmdUseSetting")->click();
        QCOMPARE(m_run->state.sgGridColor, before);
    }

    void chosenEntryApplies_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("doubleClick"); // else a click and "use setting"
        QTest::addColumn<QString>("colour");
        QTest::newRow("click, use setting: b.kiv") << 1 << false << "0000ff";
        QTest::newRow("double-click: sub/A.KIV") << 0 << true << "00ff00";
    }

    void chosenEntryApplies()
    {
        QFETCH(int, row);
        QFETCH(bool, doubleClick);
        QFETCH(QString, colour);
        control<QTabWidget>("tabData")->setCurrentIndex(frm_main::kTabSettings);
        QApplication::processEvents();
        QWidget *viewport = control<QTreeView>("lstsettings")->viewport();
        // A double-click is a click (the entry becomes current) followed by the double-click.
        QTest::mouseClick(viewport, Qt::LeftButton, {}, entryCentre(row));
        QCOMPARE(m_run->window->settingsList().currentEntry(), std::optional<int>(row));
        if (doubleClick)
            QTest::mouseDClick(viewport, Qt::LeftButton, {}, entryCentre(row));
        else
            QTest::mouseClick(control("cmdUseSetting"), Qt::LeftButton);
        QCOMPARE(m_run->state.sgGridColor, colour);
        QCOMPARE(gridColour(), colour);
        // Only b.kiv turns the border off.
        QCOMPARE(control<QCheckBox>("chkborder")->isChecked(), m_run->state.bgBorder);
        QCOMPARE(m_run->state.bgBorder, row == 0);
    }

    void saveFromOptionsTabShowsSettingsTab_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("tabAfter");
        QTest::newRow("top bar") << 0 << frm_main::kTabSearchResult;
        QTest::newRow("htm/txt options") << 1 << frm_main::kTabSettings;
        QTest::newRow("search options") << 2 << frm_main::kTabSettings;
        QTest::newRow("settings") << 3 << frm_main::kTabSearchResult;
    }

    // Only the option tabs' buttons bring the settings tab forward.
    void saveFromOptionsTabShowsSettingsTab()
    {
        QFETCH(int, index);
        QFETCH(int, tabAfter);
        auto *tabs = control<QTabWidget>("tabData");
        tabs->setCurrentIndex(frm_main::kTabSearchResult);
        m_run->window->setOptionText(OptionText::GridColor, "abcdef");
        m_run->dialogs.fileAnswers = { path("saved.kiv") };
        control(QString("cmdsave_%1").arg(index))->click();

        QCOMPARE(tabs->currentIndex(), tabAfter);
        QCOMPARE(m_run->dialogs.calls.size(), 1);
        QCOMPARE(m_run->dialogs.calls[0].kind, "save");
        QCOMPARE(m_run->dialogs.calls[0].title, "KIV Save Settings");
        QCOMPARE(m_run->dialogs.calls[0].filter, "kiv-Settings (*.kiv)");
        QVERIFY(m_run->dialogs.calls[0].confirmOverwrite);
        QFile saved(path("saved.kiv"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY(saved.readAll().contains("sgGridColor=abcdef"));
        // The list is refreshed and shows the new file.
        QVERIFY(listed().contains("saved.kiv|" + path("")));
    }

    void cancelledSaveWritesNothing()
    {
        control("cmdsave_3")->click();
        QCOMPARE(m_run->dialogs.calls.size(), 1);
        QCOMPARE(QDir(m_dir->path()).entryList({ "*.kiv" }, QDir::Files), QStringList { "b.kiv" });
    }

    void chosenFolderRefreshesList()
    {
        m_run->dialogs.folderAnswers = { path("sub") };
        QTest::mouseClick(control("cmdBrowseSettingsPath"), Qt::LeftButton);
        QCOMPARE(listed(), QStringList { "A.KIV|" + path("sub/") });
        QCOMPARE(control<QLineEdit>("txtSettingsPath")->text(), path("sub/"));

        // Cancelling the picker empties the folder text and keeps the list.
        QTest::mouseClick(control("cmdBrowseSettingsPath"), Qt::LeftButton);
        QCOMPARE(control<QLineEdit>("txtSettingsPath")->text(), QString());
        QCOMPARE(listed().size(), 1);
    }
};

QTEST_MAIN(TestSettingsTab)
#include "tst_settings_tab.moc"
