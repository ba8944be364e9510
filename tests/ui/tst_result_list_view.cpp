// The result list as the window shows it: each row in its own colour and
// weight, check boxes in the first column, a user's tick reported by the list.
#include "scan/result_list.h"
#include "ui/result_list_delegate.h"
#include "ui/result_list_view.h"
#include "ui/window_fixture.h"

#include <QSignalSpy>
#include <QTableView>
#include <QtTest>

namespace {

// Opens the delegate's style step to the test.
class DelegateProbe : public ResultListDelegate
{
public:
    QStyleOptionViewItem optionFor(const QModelIndex &index) const
    {
        QStyleOptionViewItem option;
        initStyleOption(&option, index);
        return option;
    }
};

} // namespace

class TestResultListView : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ProgramRun> m_run;

    ResultListView *view()
    {
        return m_run->window->findChild<ResultListView *>(QStringLiteral("lstItems"));
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        UseTemporaryPreferenceStore(*m_dir);
        m_run = std::make_unique<ProgramRun>(m_dir->path());
        QVERIFY(view());
        ResultList &list = m_run->window->resultList();
        list.addRow(QStringLiteral("plain"));
        list.setRowStyle(list.addRow(QStringLiteral("folder")), 0x123456, true);
        const int file = list.addRow(QStringLiteral("file"));
        list.setRowStyle(file, 0x666666, false);
        list.setSubItem(file, 3, QStringLiteral("12"));
        list.setSubItemStyle(file, 3, 0xff0000, true);
        list.publishRows();
    }

    void cleanup()
    {
        m_run.reset();
        m_dir.reset();
    }

    void rowsShowTheirColourAndWeight_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<QColor>("colour"); // invalid: the view's own text colour
        QTest::newRow("plain row") << 0 << 0 << false << QColor();
        QTest::newRow("bold folder") << 1 << 0 << true << QColor(0x12, 0x34, 0x56);
        QTest::newRow("grey file") << 2 << 0 << false << QColor(0x66, 0x66, 0x66);
        QTest::newRow("red bold size") << 2 << 3 << true << QColor(255, 0, 0);
    }

    // The view shows the list through the delegate that styles its rows.
    void rowsShowTheirColourAndWeight()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(bool, bold);
        QFETCH(QColor, colour);
        QVERIFY(dynamic_cast<ResultListDelegate *>(view()->itemDelegate()));
        QCOMPARE(view()->model(), &m_run->window->resultList());
        const QStyleOptionViewItem option
            = DelegateProbe().optionFor(view()->model()->index(row, column));
        QCOMPARE(option.font.bold(), bold);
        QCOMPARE(option.palette.color(QPalette::Text),
                 colour.isValid() ? colour : QStyleOptionViewItem().palette.color(QPalette::Text));
    }

    void tickInViewReachesList()
    {
        QVERIFY(m_run->showAndActivate());
        QSignalSpy checks(&m_run->window->resultList(), &ResultList::itemCheck);
        const bool before = m_run->window->resultList().checked(1);
        // The tick square sits at the left of the first column.
        const QRect cell = view()->visualRect(view()->model()->index(1, 0));
        QTest::mouseClick(view()->viewport(), Qt::LeftButton, {},
                          QPoint(cell.left() + 10, cell.center().y()));
        QCOMPARE(m_run->window->resultList().checked(1), !before);
        QCOMPARE(checks.size(), 1);
        QCOMPARE(checks[0][0].toInt(), 1);
    }

    void rowsFitTheListFont()
    {
        int previousHeight = 0;
        for (const double points : { 8.0, 24.0 }) {
            m_run->window->setListFontSize(points);
            const int height = view()->rowHeight(0);
            QVERIFY(height > previousHeight);
            // Every row one height, tall enough for what the delegate draws in
            // the bold, ticked folder row.
            for (int row = 1; row < view()->model()->rowCount(); ++row)
                QCOMPARE(view()->rowHeight(row), height);
            QStyleOptionViewItem option;
            option.initFrom(view());
            option.font = view()->font();
            const int wanted
                = view()->itemDelegate()->sizeHint(option, view()->model()->index(1, 0)).height();
            QVERIFY2(wanted <= height,
                     qPrintable(QStringLiteral("%1 > %2").arg(wanted).arg(height)));
            previousHeight = height;
        }
    }
};

QTEST_MAIN(TestResultListView)
#include "tst_result_list_view.moc"
