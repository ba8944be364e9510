// The settings tab: listing settings files, choosing, applying and saving one.
#include "app/settings_list.h"
#include "support/file_bytes.h"
#include "ui/window_fixture.h"

#include <QtTest>
#include <QtWidgets>

#include <sys/stat.h>

class TestSettingsTab : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ProgramRun> m_run;

    template<typename T = QAbstractButton> T *control(const char *name)
    {
        return m_run->window->findChild<T *>(QLatin1String(name));
    }
    QString path(const QString &relative) const { return m_dir->path() + u'/' + relative; }
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

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        UseTemporaryPreferenceStore(*m_dir);
        QVERIFY(writeAll(path(QStringLiteral("b.kiv")),
                         "[htm]\r\nsgGridColor=0000ff\r\nbgBorder=False\r\n"));
        QVERIFY(writeAll(path(QStringLiteral("sub/A.KIV")), "[htm]\r\nsgGridColor=00ff00\r\n"));
        QVERIFY(m_dir->isValid() && writeAll(path(QStringLiteral("notes.txt")), ""));
        m_run = std::make_unique<ProgramRun>(m_dir->path());
        QVERIFY(m_run->showAndActivate());
    }

    void cleanup() { m_run.reset(), m_dir.reset(); }

    // On the first run the program folder is listed, nothing chosen; without
    // a chosen entry neither "use setting" nor a double-click applies one.
    void firstRunListsProgramFolder()
    {
        QCOMPARE(listed(),
                 QStringList({ QStringLiteral("A.KIV|") + path(QStringLiteral("sub/")),
                               QStringLiteral("b.kiv|") + path(QStringLiteral("")) }));
        QVERIFY(!m_run->window->settingsList().currentEntry());
        const QString before = m_run->state.sgGridColor;
        m_run->window->lstsettings_DblClick();
        control("cmdUseSetting")->click();
        QCOMPARE(m_run->state.sgGridColor, before);
    }

    void chosenEntryApplies_data()
    {
        QTest::addColumn<int>("row"); // sub/A.KIV is double-clicked, b.kiv used by the button
        QTest::newRow("click, use setting: b.kiv") << 1;
        QTest::newRow("double-click: sub/A.KIV") << 0;
    }

    void chosenEntryApplies()
    {
        QFETCH(int, row);
        const QString colour = row == 0 ? QStringLiteral("00ff00") : QStringLiteral("0000ff");
        control<QTabWidget>("tabData")->setCurrentIndex(frm_main::kTabSettings);
        QApplication::processEvents();
        auto *list = control<QTreeView>("lstsettings");
        const QPoint centre = list->visualRect(list->model()->index(row, 0)).center();
        // A double-click is a click (the entry becomes current) followed by the double-click.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, centre);
        QCOMPARE(m_run->window->settingsList().currentEntry(), std::optional<int>(row));
        if (row == 0)
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, centre);
        else
            QTest::mouseClick(control("cmdUseSetting"), Qt::LeftButton);
        QCOMPARE(m_run->state.sgGridColor, colour);
        QCOMPARE(control<QLineEdit>("txtGridColor")->text(), colour);
        // Only b.kiv turns the border off.
        QVERIFY(control<QCheckBox>("chkborder")->isChecked() == (row == 0)
                && m_run->state.bgBorder == (row == 0));
    }

    void saveFromOptionsTabShowsSettingsTab_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("top bar") << 0;
        QTest::newRow("htm/txt options") << 1;
    }

    // Only the option tabs' buttons bring the settings tab forward.
    void saveFromOptionsTabShowsSettingsTab()
    {
        QFETCH(int, index);
        auto *tabs = control<QTabWidget>("tabData");
        tabs->setCurrentIndex(frm_main::kTabSearchResult);
        m_run->window->setOptionText(OptionText::GridColor, QStringLiteral("abcdef"));
        m_run->dialogs.fileAnswers = { path(QStringLiteral("saved.kiv")) };
        control(QByteArray("cmdsave_" + QByteArray::number(index)).constData())->click();

        QCOMPARE(tabs->currentIndex(),
                 index == 0 ? frm_main::kTabSearchResult : frm_main::kTabSettings);
        QCOMPARE(m_run->dialogs.calls.size(), 1);
        const auto &call = m_run->dialogs.calls[0];
        QVERIFY(call.kind == QStringLiteral("save") && call.confirmOverwrite);
        QCOMPARE(call.title + u'|' + call.filter,
                 QStringLiteral("KIV Save Settings|kiv-Settings (*.kiv)"));
        QVERIFY(readAll(path(QStringLiteral("saved.kiv"))).contains("sgGridColor=abcdef"));
        // The list is refreshed and shows the new file.
        QVERIFY(listed().contains(QStringLiteral("saved.kiv|") + path(QStringLiteral(""))));
    }

    void cancelledSaveWritesNothing()
    {
        control("cmdsave_3")->click();
        QCOMPARE(m_run->dialogs.calls.size(), 1);
        QCOMPARE(QDir(m_dir->path()).entryList({ QStringLiteral("*.kiv") }, QDir::Files),
                 QStringList { QStringLiteral("b.kiv") });
    }

    // A save that cannot write says so in the status line, with the path and why.
    void failedSaveSaysSo_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason"); // empty: any
        QTest::newRow("no folder can be there") << "b.kiv/s.kiv"
                                                << "";
        QTest::newRow("a named pipe") << "pipe.kiv"
                                      << "not a regular file";
    }
    void failedSaveSaysSo()
    {
        QFETCH(QString, target);
        QFETCH(QString, reason);
        QVERIFY(::mkfifo(QFile::encodeName(path(QStringLiteral("pipe.kiv"))).constData(), 0600)
                == 0);
        m_run->dialogs.fileAnswers = { path(target) };
        control("cmdsave_3")->click();
        const QString status = control<QLabel>("lblNewFile")->text();
        const QString start
            = QStringLiteral("Settings not saved: ") + path(target) + QStringLiteral(" (");
        QVERIFY2(status.startsWith(start) && status.endsWith(u')'), qPrintable(status));
        if (!reason.isEmpty())
            QCOMPARE(status, start + reason + u')');
        QVERIFY(!QFileInfo(path(QStringLiteral("pipe.kiv"))).isFile());
    }

    // A cancel with nothing running changes nothing, and a flag left set by
    // a cancelled command is cleared when the next command starts: the
    // listing lists everything either way.
    void cancelLeavesNextListingWhole_data()
    {
        QTest::addColumn<bool>("leftSet");
        QTest::newRow("cancel clicked with nothing running") << false;
        QTest::newRow("flag left set by a cancelled search") << true;
    }
    void cancelLeavesNextListingWhole()
    {
        QFETCH(bool, leftSet);
        if (leftSet)
            m_run->state.bgCancel = true;
        else
            control("cmdCancel_3")->click();
        QCOMPARE(m_run->state.bgCancel.load(), leftSet);
        m_run->dialogs.folderAnswers = { m_dir->path() };
        control("cmdBrowseSettingsPath")->click();
        QCOMPARE(listed(),
                 QStringList({ QStringLiteral("A.KIV|") + path(QStringLiteral("sub/")),
                               QStringLiteral("b.kiv|") + path(QStringLiteral("")) }));
        QVERIFY(!m_run->state.bgCancel);
    }

    void chosenFolderRefreshesList()
    {
        m_run->dialogs.folderAnswers = { path(QStringLiteral("sub")) };
        QTest::mouseClick(control("cmdBrowseSettingsPath"), Qt::LeftButton);
        QCOMPARE(listed(), QStringList { QStringLiteral("A.KIV|") + path(QStringLiteral("sub/")) });
        QCOMPARE(control<QLineEdit>("txtSettingsPath")->text(), path(QStringLiteral("sub/")));

        // Cancelling the picker empties the folder text and keeps the list.
        QTest::mouseClick(control("cmdBrowseSettingsPath"), Qt::LeftButton);
        QVERIFY(control<QLineEdit>("txtSettingsPath")->text().isEmpty() && listed().size() == 1);
    }
};

QTEST_MAIN(TestSettingsTab)
#include "tst_settings_tab.moc"
