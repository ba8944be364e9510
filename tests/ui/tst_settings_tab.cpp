// The settings tab: listing settings files, choosing, applying and saving one.
#include "app/settings_list.h"
#include "support/file_bytes.h"
#include "ui/window_fixture.h"

#include <QtTest>
#include <QtWidgets>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

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
        QVERIFY(writeAll(path(u"b.kiv"_s), "[htm]\r\nsgGridColor=0000ff\r\nbgBorder=False\r\n"));
        QVERIFY(writeAll(path(u"sub/A.KIV"_s), "[htm]\r\nsgGridColor=00ff00\r\n"));
        QVERIFY(m_dir->isValid() && writeAll(path(u"notes.txt"_s), ""));
        m_run = std::make_unique<ProgramRun>(m_dir->path());
        QVERIFY(m_run->showAndActivate());
    }

    void cleanup() { m_run.reset(), m_dir.reset(); }

    // On the first run the program folder is listed, nothing chosen; without
    // a chosen entry neither "use setting" nor a double-click applies one.
    void firstRunListsProgramFolder()
    {
        QCOMPARE(listed(),
                 QStringList({ u"A.KIV|"_s + path(u"sub/"_s), u"b.kiv|"_s + path(u""_s) }));
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
        const QString colour = row == 0 ? u"00ff00"_s : u"0000ff"_s;
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
        m_run->window->setOptionText(OptionText::GridColor, u"abcdef"_s);
        m_run->dialogs.fileAnswers = { path(u"saved.kiv"_s) };
        control(QByteArray("cmdsave_" + QByteArray::number(index)).constData())->click();

        QCOMPARE(tabs->currentIndex(),
                 index == 0 ? frm_main::kTabSearchResult : frm_main::kTabSettings);
        QCOMPARE(m_run->dialogs.calls.size(), 1);
        const auto &call = m_run->dialogs.calls[0];
        QVERIFY(call.kind == u"save"_s && call.confirmOverwrite);
        QCOMPARE(call.title + u'|' + call.filter, u"KIV Save Settings|kiv-Settings (*.kiv)"_s);
        QVERIFY(readAll(path(u"saved.kiv"_s)).contains("sgGridColor=abcdef"));
        // The list is refreshed and shows the new file.
        QVERIFY(listed().contains(u"saved.kiv|"_s + path(u""_s)));
    }

    void cancelledSaveWritesNothing()
    {
        control("cmdsave_3")->click();
        QCOMPARE(m_run->dialogs.calls.size(), 1);
        QCOMPARE(QDir(m_dir->path()).entryList({ u"*.kiv"_s }, QDir::Files),
                 QStringList { u"b.kiv"_s });
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
        QVERIFY(::mkfifo(QFile::encodeName(path(u"pipe.kiv"_s)).constData(), 0600) == 0);
        m_run->dialogs.fileAnswers = { path(target) };
        control("cmdsave_3")->click();
        const QString status = control<QLabel>("lblNewFile")->text();
        const QString start = u"Settings not saved: "_s + path(target) + u" ("_s;
        QVERIFY2(status.startsWith(start) && status.endsWith(u')'), qPrintable(status));
        if (!reason.isEmpty())
            QCOMPARE(status, start + reason + u')');
        QVERIFY(!QFileInfo(path(u"pipe.kiv"_s)).isFile());
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
                 QStringList({ u"A.KIV|"_s + path(u"sub/"_s), u"b.kiv|"_s + path(u""_s) }));
        QVERIFY(!m_run->state.bgCancel);
    }

    void chosenFolderRefreshesList()
    {
        m_run->dialogs.folderAnswers = { path(u"sub"_s) };
        QTest::mouseClick(control("cmdBrowseSettingsPath"), Qt::LeftButton);
        QCOMPARE(listed(), QStringList { u"A.KIV|"_s + path(u"sub/"_s) });
        QCOMPARE(control<QLineEdit>("txtSettingsPath")->text(), path(u"sub/"_s));

        // Cancelling the picker empties the folder text and keeps the list.
        QTest::mouseClick(control("cmdBrowseSettingsPath"), Qt::LeftButton);
        QVERIFY(control<QLineEdit>("txtSettingsPath")->text().isEmpty() && listed().size() == 1);
    }
};

QTEST_MAIN(TestSettingsTab)
#include "tst_settings_tab.moc"
