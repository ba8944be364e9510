// Walks the main window's controls: every control exists under its name,
// in its place, with its caption, tooltip and initial value. Arrays are
// named with the index after an underscore ("cmdsave_2", "chkFileTag_0").

#include "ui/window_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QWebEngineView>
#include <QtTest>

namespace {

// Where a control lives: the top area of the window or a tab of tabData.
constexpr int kTop = -1;

} // namespace

class TestControlNames : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void buttons_data();
    void buttons();
    void checkBoxes_data();
    void checkBoxes();
    void textBoxes_data();
    void textBoxes();
    void otherControls_data();
    void otherControls();
    void labels_data();
    void labels();
    void tabs();
    void iconButtonsInOrder();
    void separatorLines();
    void gridPlacement_data();
    void gridPlacement();
    void statusColours();
    void previewBrowserMadeOnFirstLook();

private:
    QWidget *find(const QString &name) const { return m_run->window->findChild<QWidget *>(name); }
    bool isIn(QWidget *widget, int tab) const;
    void showTab(int tab);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ProgramRun> m_run;
};

void TestControlNames::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    UseTemporaryPreferenceStore(*m_dir);
    // Not activated: the controls keep the values they are built with.
    m_run = std::make_unique<ProgramRun>(m_dir->path());
}

void TestControlNames::cleanup()
{
    m_run.reset();
    m_dir.reset();
}

bool TestControlNames::isIn(QWidget *widget, int tab) const
{
    auto *tabs = m_run->window->findChild<QTabWidget *>(QStringLiteral("tabData"));
    if (tab == kTop) {
        for (int i = 0; i < tabs->count(); ++i) {
            if (tabs->widget(i)->isAncestorOf(widget))
                return false;
        }
        return m_run->window->isAncestorOf(widget);
    }
    return tabs->widget(tab)->isAncestorOf(widget);
}

void TestControlNames::showTab(int tab)
{
    m_run->window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_run->window.get()));
    m_run->window->findChild<QTabWidget *>(QStringLiteral("tabData"))->setCurrentIndex(tab);
    QApplication::processEvents();
}

void TestControlNames::buttons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("caption"); // "*" when the caption is not fixed
    QTest::addColumn<QString>("tooltip");
    QTest::addColumn<bool>("enabled");
    const auto row = [](const char *name, int tab, const char *caption, const char *tooltip,
                        bool enabled = true) {
        QTest::newRow(name) << QString::fromUtf8(name) << tab << QString::fromUtf8(caption)
                            << QString::fromUtf8(tooltip) << enabled;
    };
    // The icon buttons of the top strip.
    row("cmdsearch", kTop, "", "browse for folder");
    row("cmdCancel_3", kTop, "", "cancel");
    row("cmdcopy", kTop, "", "copy list to clipboard");
    row("cmdRefresh", kTop, "", "refresh array");
    row("cmdMach_1", kTop, "", "generate list");
    row("cmdBrowser_1", kTop, "", "open result in browser");
    row("cmdsave_0", kTop, "", "save settings");
    row("cmdInfo", kTop, "", "info");
    row("cmdexit", kTop, "", "exit");
    row("cmdCancel_0", kTop, "cancel", "");
    // "search options".
    row("cmdBrowseForAni", 1, "*", "browse for folder");
    row("cmdAviTest", 1, "play", "");
    row("cmdAviDeafult", 1, "default", "");
    row("cmdListFont", 1, "", "");
    row("cmdReadFolderAgain", 1, "refresh array", "");
    row("cmdsave_2", 1, "*", "");
    row("cmdCancel_2", 1, "cancel", "");
    // "htm/txt options".
    row("cmdFont", 2, "", "");
    row("cmdsave_1", 2, "*", "");
    row("cmdMach_0", 2, "generate", "");
    row("cmdCancel_1", 2, "cancel", "");
    row("cmdBrowser_0", 2, "open result in browser", "");
    // "settings".
    row("cmdBrowseSettingsPath", 3, "*", "browse for folder");
    row("cmdUseSetting", 3, "use setting", "");
    row("cmdsave_3", 3, "*", "");
}

void TestControlNames::buttons()
{
    QFETCH(QString, name);
    QFETCH(int, tab);
    QFETCH(QString, caption);
    QFETCH(QString, tooltip);
    QFETCH(bool, enabled);
    auto *button = qobject_cast<QAbstractButton *>(find(name));
    QVERIFY2(button, qPrintable(name));
    QVERIFY(isIn(button, tab));
    if (caption != u"*")
        QCOMPARE(button->text(), caption);
    QCOMPARE(button->toolTip(), tooltip);
    QCOMPARE(button->isEnabled(), enabled);
    if (tab == kTop && caption.isEmpty()) {
        // Square icon buttons of 315 twips with a 16 x 16 picture.
        QCOMPARE(button->size(), QSize(21, 21));
        QCOMPARE(button->iconSize(), QSize(16, 16));
        QVERIFY(!button->icon().isNull());
        // Drawn sharp at twice the pixel density too.
        QCOMPARE(button->icon().pixmap(QSize(16, 16), 2.0).size(), QSize(32, 32));
    }
}

void TestControlNames::checkBoxes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("ticked");
    QTest::addColumn<bool>("enabled");
    const auto row
        = [](const char *name, int tab, const char *caption, bool ticked, bool enabled = true) {
              QTest::newRow(name) << QString::fromUtf8(name) << tab << QString::fromUtf8(caption)
                                  << ticked << enabled;
          };
    row("chkRecursive", 1, "search recursive", true);
    row("chkSkipEmptyDir", 1, "skip empty directories", true);
    row("chkOnlyThisDir", 1, "print only current directory", true);
    row("chkFileTag_0", 2, "size", false);
    row("chkFileTag_1", 2, "type", false);
    row("chkFileTag_2", 2, "created", false);
    row("chkFileTag_3", 2, "changed", false);
    row("chkFileTag_4", 2, "attributes", false);
    row("chkToggle", 2, "toggle directories (enable javascript)", true);
    row("chkLink", 2, "link to item (local)", false, false);
    row("chkborder", 2, "cellborder", true);
    row("chkHover", 2, "hover", true);
}

void TestControlNames::checkBoxes()
{
    QFETCH(QString, name);
    QFETCH(int, tab);
    QFETCH(QString, caption);
    QFETCH(bool, ticked);
    QFETCH(bool, enabled);
    auto *box = qobject_cast<QCheckBox *>(find(name));
    QVERIFY2(box, qPrintable(name));
    QVERIFY(isIn(box, tab));
    QCOMPARE(box->text(), caption);
    QCOMPARE(box->isChecked(), ticked);
    QCOMPARE(box->isEnabled(), enabled);
}

void TestControlNames::textBoxes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("optionBox"); // colour or size box: 750 x 255, centred, 6 characters
    QTest::addColumn<bool>("enabled");
    const auto row
        = [](const char *name, int tab, const char *text, bool optionBox, bool enabled = true) {
              QTest::newRow(name) << QString::fromUtf8(name) << tab << QString::fromUtf8(text)
                                  << optionBox << enabled;
          };
    row("txt_DBPathName", kTop, "", false, false);
    row("txtEXT", 1, "*.*", false);
    row("txtAnimation", 1, "", false);
    row("txtSettingsPath", 3, "", false, false);
    for (const char *name :
         { "txtBackgroundColor", "txtGridColor", "txtTextColor", "txtHeaderColor", "txtDirColor",
           "txtDirFontColor", "txtFileColor", "txtHoverColor" })
        row(name, 2, "FFFFFF", true);
    row("txtFontSizeDIR", 2, "9", true);
    row("txtFontSizeFILE", 2, "8", true);
}

void TestControlNames::textBoxes()
{
    QFETCH(QString, name);
    QFETCH(int, tab);
    QFETCH(QString, text);
    QFETCH(bool, optionBox);
    QFETCH(bool, enabled);
    auto *edit = qobject_cast<QLineEdit *>(find(name));
    QVERIFY2(edit, qPrintable(name));
    QVERIFY(isIn(edit, tab));
    QCOMPARE(edit->text(), text);
    QCOMPARE(edit->isEnabled(), enabled);
    if (optionBox) {
        QCOMPARE(edit->maxLength(), 6);
        QCOMPARE(edit->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QCOMPARE(edit->width(), 50);
    }
    if (name == u"txtEXT")
        QCOMPARE(edit->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
}

void TestControlNames::otherControls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("className");
    QTest::addColumn<bool>("hidden");
    const auto row = [](const char *name, int tab, const char *className, bool hidden = false) {
        QTest::newRow(name) << QString::fromUtf8(name) << tab << QString::fromUtf8(className)
                            << hidden;
    };
    row("picButtons", kTop, "QWidget");
    row("picProgress", kTop, "QWidget");
    row("lblNewFile", kTop, "QLabel");
    row("lbl_Status", kTop, "QLabel");
    row("tabData", kTop, "QTabWidget");
    row("lstItems", 0, "QAbstractItemView");
    row("fraAniBack", 0, "QFrame", true);
    row("ani_Movie", 0, "QWidget");
    row("frasetup", 1, "QFrame");
    row("ani_Test", 1, "QWidget");
    row("lblAniTest", 1, "QLabel");
    row("Frame1", 2, "QFrame");
    row("lstsettings", 3, "QAbstractItemView");
}

void TestControlNames::otherControls()
{
    QFETCH(QString, name);
    QFETCH(int, tab);
    QFETCH(QString, className);
    QFETCH(bool, hidden);
    QWidget *widget = find(name);
    QVERIFY2(widget, qPrintable(name));
    QVERIFY(isIn(widget, tab));
    QVERIFY(widget->inherits(qPrintable(className)));
    QCOMPARE(widget->isHidden(), hidden);
}

void TestControlNames::labels_data()
{
    QTest::addColumn<QString>("container");
    QTest::addColumn<QString>("caption");
    for (const char *caption : { "files with extension:", "list font",
                                 "only Run-Length Encoding (RLE) avi-files without audio stream" })
        QTest::newRow(caption) << "frasetup" << QString::fromUtf8(caption);
    for (const char *caption : { "show columns", "backcolor", "fontcolor", "font", "size", "body",
                                 "text", "header", "folder", "file" })
        QTest::newRow(caption) << "Frame1" << QString::fromUtf8(caption);
}

void TestControlNames::labels()
{
    QFETCH(QString, container);
    QFETCH(QString, caption);
    QWidget *frame = find(container);
    QVERIFY(frame);
    int found = 0;
    for (const QLabel *label : frame->findChildren<QLabel *>())
        found += label->text() == caption ? 1 : 0;
    QCOMPARE(found, 1);
}

void TestControlNames::tabs()
{
    auto *tabs = qobject_cast<QTabWidget *>(find(QStringLiteral("tabData")));
    QVERIFY(tabs);
    const QStringList captions { QStringLiteral("search result"), QStringLiteral("search options"),
                                 QStringLiteral("htm/txt options"), QStringLiteral("settings"),
                                 QStringLiteral("htm preview") };
    QCOMPARE(tabs->count(), captions.size());
    for (int i = 0; i < tabs->count(); ++i)
        QCOMPARE(tabs->tabText(i), captions[i]);
    QCOMPARE(m_run->window->windowTitle(), QStringLiteral("K I V"));
}

void TestControlNames::iconButtonsInOrder()
{
    showTab(0);
    const QStringList order { QStringLiteral("txt_DBPathName"), QStringLiteral("cmdsearch"),
                              QStringLiteral("cmdCancel_3"),    QStringLiteral("cmdcopy"),
                              QStringLiteral("cmdRefresh"),     QStringLiteral("cmdMach_1"),
                              QStringLiteral("cmdBrowser_1"),   QStringLiteral("cmdsave_0"),
                              QStringLiteral("cmdInfo"),        QStringLiteral("cmdexit") };
    QWidget *strip = find(QStringLiteral("picButtons"));
    int lastRight = -1;
    for (const QString &name : order) {
        QWidget *widget = find(name);
        QVERIFY2(widget && widget->parentWidget() == strip, qPrintable(name));
        QVERIFY2(widget->x() > lastRight, qPrintable(name));
        lastRight = widget->geometry().right();
    }
    // The fourth cancel button lies beyond the client area, also in a wider window.
    QVERIFY(find(QStringLiteral("cmdCancel_0"))->x() >= m_run->window->width());
    m_run->window->resize(1200, 700);
    QVERIFY(find(QStringLiteral("cmdCancel_0"))->x() >= 1200);
}

void TestControlNames::separatorLines()
{
    QWidget *frame = find(QStringLiteral("Frame1"));
    int lines = 0;
    for (const QFrame *line : m_run->window->findChildren<QFrame *>()) {
        if (line->frameShape() != QFrame::HLine && line->frameShape() != QFrame::VLine)
            continue;
        ++lines;
        QVERIFY(frame->isAncestorOf(line));
    }
    QCOMPARE(lines, 6);
    for (int i = 1; i <= 6; ++i)
        QVERIFY(find(QStringLiteral("Line%1").arg(i)));
}

void TestControlNames::gridPlacement_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("rowLabel");
    QTest::addColumn<QString>("columnLabel");
    QTest::newRow("body backcolor") << "txtBackgroundColor"
                                    << "body"
                                    << "backcolor";
    QTest::newRow("text fontcolor") << "txtTextColor"
                                    << "text"
                                    << "fontcolor";
    QTest::newRow("text font") << "cmdFont"
                               << "text"
                               << "font";
    QTest::newRow("header backcolor") << "txtHeaderColor"
                                      << "header"
                                      << "backcolor";
    QTest::newRow("folder backcolor") << "txtDirColor"
                                      << "folder"
                                      << "backcolor";
    QTest::newRow("folder fontcolor") << "txtDirFontColor"
                                      << "folder"
                                      << "fontcolor";
    QTest::newRow("folder size") << "txtFontSizeDIR"
                                 << "folder"
                                 << "size";
    QTest::newRow("file backcolor") << "txtFileColor"
                                    << "file"
                                    << "backcolor";
    QTest::newRow("file size") << "txtFontSizeFILE"
                               << "file"
                               << "size";
}

void TestControlNames::gridPlacement()
{
    QFETCH(QString, box);
    QFETCH(QString, rowLabel);
    QFETCH(QString, columnLabel);
    showTab(2);
    QWidget *frame = find(QStringLiteral("Frame1"));
    const auto labelRect = [&](const QString &caption) {
        for (const QLabel *label : frame->findChildren<QLabel *>()) {
            if (label->text() == caption)
                return QRect(label->mapTo(frame, QPoint(0, 0)), label->size());
        }
        return QRect();
    };
    QWidget *widget = find(box);
    const QRect boxRect(widget->mapTo(frame, QPoint(0, 0)), widget->size());
    const QRect row = labelRect(rowLabel);
    const QRect column = labelRect(columnLabel);
    QVERIFY(row.isValid() && column.isValid());
    QVERIFY2(qAbs(boxRect.center().y() - row.center().y()) <= 3, qPrintable(box));
    QVERIFY2(boxRect.left() <= column.center().x() && column.center().x() <= boxRect.right(),
             qPrintable(box));
}

void TestControlNames::statusColours()
{
    auto *status = qobject_cast<QLabel *>(find(QStringLiteral("lbl_Status")));
    QCOMPARE(status->palette().color(QPalette::WindowText), QColor(0, 64, 0));
    auto *aniTest = qobject_cast<QLabel *>(find(QStringLiteral("lblAniTest")));
    QCOMPARE(aniTest->palette().color(QPalette::WindowText), QColor(192, 0, 0));
    QCOMPARE(aniTest->text(), QString());
}

void TestControlNames::previewBrowserMadeOnFirstLook()
{
    QVERIFY(!m_run->window->findChild<QWebEngineView *>(QStringLiteral("iebrowser")));
    showTab(4);
    auto *browser = m_run->window->findChild<QWebEngineView *>(QStringLiteral("iebrowser"));
    QVERIFY(browser);
    QVERIFY(isIn(browser, 4));
    QCOMPARE(m_run->window->iebrowser(), browser);
}

int main(int argc, char *argv[])
{
    // The preview's web engine shares drawing contexts with the window.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    TestControlNames test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_control_names.moc"
