// Walks the main window's controls: a control of each sort exists under its
// name, in its place, with its caption, tooltip and initial value. Arrays are
// named with the index after an underscore ("cmdsave_2", "chkFileTag_0").

#include "ui/window_fixture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLineEdit>
#include <QTabWidget>
#include <QtTest>

// Where a control lives: the top area of the window or a tab of tabData.
static constexpr int kTop = -1;

class TestControlNames : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { m_run.reset(); }

    void controls_data();
    void controls();
    void iconButtonsInOrder();
    void filterBoxMovesNothing();
    void excludeFieldUnderThePattern();

private:
    QWidget *find(const QString &name) const { return m_run->window->findChild<QWidget *>(name); }
    bool isIn(QWidget *widget, int tab) const
    {
        auto *tabs = m_run->window->findChild<QTabWidget *>(QStringLiteral("tabData"));
        if (tab == kTop)
            return m_run->window->isAncestorOf(widget) && !tabs->isAncestorOf(widget);
        return tabs->widget(tab)->isAncestorOf(widget);
    }

    std::unique_ptr<QTemporaryDir> m_dir = std::make_unique<QTemporaryDir>();
    std::unique_ptr<ProgramRun> m_run;
};

void TestControlNames::initTestCase()
{
    QVERIFY(m_dir->isValid());
    UseTemporaryPreferenceStore(*m_dir);
    // Not activated: the controls keep the values they are built with.
    m_run = std::make_unique<ProgramRun>(m_dir->path());
}

void TestControlNames::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("text"); // caption, box text or an icon's tooltip; "*": not fixed
    // "icon": a captionless icon button, "off": disabled, "ticked", "hidden", "box": a colour
    // or size box, "centred".
    QTest::addColumn<QString>("flags");
    const auto row = [](const char *name, int tab, const char *text, const char *flags = "") {
        QTest::newRow(name) << QString::fromUtf8(name) << tab << QString::fromUtf8(text)
                            << QString::fromUtf8(flags);
    };
    row("cmdCancel_3", kTop, "cancel", "icon");
    row("txt_DBPathName", kTop, "", "off");
    row("fraAniBack", 0, "*", "hidden");
    row("txtEXT", 1, "*.*", "centred");
    row("txtExclude", 1, "");
    row("chkOnlyThisDir", 1, "print only current directory", "ticked");
    row("chkLink", 2, "link to item (local)", "off");
    row("chkFilterBox", 2, "filter box above the list");
    row("txtFontSizeDIR", 2, "9", "box centred");
    row("cmdUseSetting", 3, "use setting");
}

void TestControlNames::controls()
{
    QFETCH(QString, name);
    QFETCH(int, tab);
    QFETCH(QString, text);
    QFETCH(QString, flags);
    QWidget *widget = find(name);
    QVERIFY2(widget, qPrintable(name));
    QVERIFY(isIn(widget, tab));
    QCOMPARE(widget->isEnabled(), !flags.contains(u"off"));
    QCOMPARE(widget->isHidden(), flags.contains(u"hidden"));
    auto *button = qobject_cast<QAbstractButton *>(widget);
    auto *edit = qobject_cast<QLineEdit *>(widget);
    if (flags.contains(u"icon")) {
        QCOMPARE(button->text(), QString());
        QCOMPARE(button->toolTip(), text);
        // A 16 x 16 picture, sharp at twice the pixel density too.
        QCOMPARE(button->iconSize(), QSize(16, 16));
        QCOMPARE(button->icon().pixmap(QSize(16, 16), 2.0).size(), QSize(32, 32));
    } else if (text != u"*") {
        QCOMPARE(button ? button->text() : edit->text(), text);
    }
    if (auto *box = qobject_cast<QCheckBox *>(widget))
        QCOMPARE(box->isChecked(), flags.contains(u"ticked"));
    if (flags.contains(u"centred"))
        QCOMPARE(edit->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    if (flags.contains(u"box"))
        QCOMPARE(edit->maxLength(), 6);
}

void TestControlNames::iconButtonsInOrder()
{
    m_run->window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_run->window.get()));
    QWidget *strip = find(QStringLiteral("picButtons"));
    int lastRight = -1;
    for (const char *name : { "txt_DBPathName", "cmdsearch", "cmdCancel_3", "cmdcopy", "cmdRefresh",
                              "cmdMach_1", "cmdBrowser_1", "cmdsave_0", "cmdInfo", "cmdexit" }) {
        QWidget *widget = find(QLatin1String(name));
        QVERIFY2(widget && widget->parentWidget() == strip, name);
        QVERIFY2(widget->x() > lastRight, name);
        lastRight = widget->geometry().right();
    }
    // The fourth cancel button lies beyond the client area, also in a wider window.
    m_run->window->resize(1200, 700);
    QVERIFY(find(QStringLiteral("cmdCancel_0"))->x() >= 1200);
}

// The filter box's switch came later than the controls round it; it lies in
// room the tab had anyway, so no other control stands elsewhere with it.
void TestControlNames::filterBoxMovesNothing()
{
    m_run->window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_run->window.get()));
    auto *tabs = m_run->window->findChild<QTabWidget *>(QStringLiteral("tabData"));
    tabs->setCurrentIndex(2);
    QWidget *filterBox = find(QStringLiteral("chkFilterBox"));
    QVERIFY(filterBox->isVisible());
    const auto places = [&] {
        QStringList list;
        for (QWidget *widget : tabs->widget(2)->findChildren<QWidget *>()) {
            if (widget != filterBox && !widget->objectName().isEmpty())
                list << widget->objectName() + u' '
                        + QString::number(widget->mapTo(m_run->window.get(), QPoint()).x()) + u','
                        + QString::number(widget->mapTo(m_run->window.get(), QPoint()).y()) + u' '
                        + QString::number(widget->width()) + u'x'
                        + QString::number(widget->height());
        }
        return list;
    };
    const QStringList with = places();
    QVERIFY(with.size() > 20);
    filterBox->hide(); // its grid row folds away
    QCoreApplication::processEvents();
    QCOMPARE(places(), with);
    filterBox->show();
}

void TestControlNames::excludeFieldUnderThePattern()
{
    m_run->window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_run->window.get()));
    m_run->window->findChild<QTabWidget *>(QStringLiteral("tabData"))->setCurrentIndex(1);
    QWidget *pattern = find(QStringLiteral("txtEXT"));
    QWidget *exclude = find(QStringLiteral("txtExclude"));
    const int patternBottom = pattern->mapTo(m_run->window.get(), QPoint(0, pattern->height())).y();
    const int excludeTop = exclude->mapTo(m_run->window.get(), QPoint(0, 0)).y();
    QVERIFY(excludeTop >= patternBottom);
    QVERIFY(excludeTop
            < find(QStringLiteral("chkRecursive"))->mapTo(m_run->window.get(), QPoint()).y());
    QVERIFY(exclude->toolTip().contains(QStringLiteral(".git;node_modules")));
}

QTEST_MAIN(TestControlNames)
#include "tst_control_names.moc"
