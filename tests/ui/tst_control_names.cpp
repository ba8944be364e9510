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

    void controls_data();
    void controls();
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

void TestControlNames::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("text"); // caption or box text; "*" when it is not fixed
    QTest::addColumn<QString>("tooltip");
    // "off": disabled, "ticked", "hidden", "box": a colour or size box (750 x 255,
    // centred, 6 characters), "centred".
    QTest::addColumn<QString>("flags");
    const auto row = [](const char *name, int tab, const char *className, const char *text,
                        const char *tooltip = "", const char *flags = "") {
        QTest::newRow(name) << QString::fromUtf8(name) << tab << QString::fromUtf8(className)
                            << QString::fromUtf8(text) << QString::fromUtf8(tooltip)
                            << QString::fromUtf8(flags);
    };
    const char *button = "QAbstractButton";
    const char *check = "QCheckBox";
    const char *edit = "QLineEdit";
    // The top area; its icon buttons have no caption.
    row("cmdsearch", kTop, button, "", "browse for folder");
    row("cmdCancel_3", kTop, button, "", "cancel");
    row("cmdcopy", kTop, button, "", "copy list to clipboard");
    row("cmdRefresh", kTop, button, "", "refresh array");
    row("cmdMach_1", kTop, button, "", "generate list");
    row("cmdBrowser_1", kTop, button, "", "open result in browser");
    row("cmdsave_0", kTop, button, "", "save settings");
    row("cmdInfo", kTop, button, "", "info");
    row("cmdexit", kTop, button, "", "exit");
    row("cmdCancel_0", kTop, button, "cancel");
    row("txt_DBPathName", kTop, edit, "", "", "off");
    row("picButtons", kTop, "QWidget", "*");
    row("picProgress", kTop, "QWidget", "*");
    row("lblNewFile", kTop, "QLabel", "*");
    row("lbl_Status", kTop, "QLabel", "*");
    row("tabData", kTop, "QTabWidget", "*");
    // "search result".
    row("lstItems", 0, "QAbstractItemView", "*");
    row("fraAniBack", 0, "QFrame", "*", "", "hidden");
    row("ani_Movie", 0, "QWidget", "*");
    // "search options".
    row("frasetup", 1, "QFrame", "*");
    row("txtEXT", 1, edit, "*.*", "", "centred");
    row("chkRecursive", 1, check, "search recursive", "", "ticked");
    row("chkSkipEmptyDir", 1, check, "skip empty directories", "", "ticked");
    row("chkOnlyThisDir", 1, check, "print only current directory", "", "ticked");
    row("txtAnimation", 1, edit, "");
    row("cmdBrowseForAni", 1, button, "*", "browse for folder");
    row("cmdAviTest", 1, button, "play");
    row("cmdAviDeafult", 1, button, "default");
    row("ani_Test", 1, "QWidget", "*");
    row("lblAniTest", 1, "QLabel", "");
    row("cmdListFont", 1, button, "");
    row("cmdReadFolderAgain", 1, button, "refresh array");
    row("cmdsave_2", 1, button, "*");
    row("cmdCancel_2", 1, button, "cancel");
    // "htm/txt options".
    row("Frame1", 2, "QFrame", "*");
    row("chkFileTag_0", 2, check, "size");
    row("chkFileTag_1", 2, check, "type");
    row("chkFileTag_2", 2, check, "created");
    row("chkFileTag_3", 2, check, "changed");
    row("chkFileTag_4", 2, check, "attributes");
    row("chkToggle", 2, check, "toggle directories (enable javascript)", "", "ticked");
    row("chkLink", 2, check, "link to item (local)", "", "off");
    row("chkborder", 2, check, "cellborder", "", "ticked");
    row("chkHover", 2, check, "hover", "", "ticked");
    for (const char *name :
         { "txtBackgroundColor", "txtGridColor", "txtTextColor", "txtHeaderColor", "txtDirColor",
           "txtDirFontColor", "txtFileColor", "txtHoverColor" })
        row(name, 2, edit, "FFFFFF", "", "box");
    row("txtFontSizeDIR", 2, edit, "9", "", "box");
    row("txtFontSizeFILE", 2, edit, "8", "", "box");
    row("cmdFont", 2, button, "");
    row("cmdsave_1", 2, button, "*");
    row("cmdMach_0", 2, button, "generate");
    row("cmdCancel_1", 2, button, "cancel");
    row("cmdBrowser_0", 2, button, "open result in browser");
    // "settings".
    row("lstsettings", 3, "QAbstractItemView", "*");
    row("txtSettingsPath", 3, edit, "", "", "off");
    row("cmdBrowseSettingsPath", 3, button, "*", "browse for folder");
    row("cmdUseSetting", 3, button, "use setting");
    row("cmdsave_3", 3, button, "*");
}

void TestControlNames::controls()
{
    QFETCH(QString, name);
    QFETCH(int, tab);
    QFETCH(QString, className);
    QFETCH(QString, text);
    QFETCH(QString, tooltip);
    QFETCH(QString, flags);
    QWidget *widget = find(name);
    QVERIFY2(widget, qPrintable(name));
    QVERIFY(isIn(widget, tab));
    QVERIFY(widget->inherits(qPrintable(className)));
    QCOMPARE(widget->toolTip(), tooltip);
    QCOMPARE(widget->isEnabled(), !flags.contains(u"off"));
    QCOMPARE(widget->isHidden(), flags.contains(u"hidden"));
    auto *button = qobject_cast<QAbstractButton *>(widget);
    auto *edit = qobject_cast<QLineEdit *>(widget);
    auto *label = qobject_cast<QLabel *>(widget);
    if (text != u"*")
        QCOMPARE(button ? button->text() : edit ? edit->text() : label->text(), text);
    if (auto *box = qobject_cast<QCheckBox *>(widget))
        QCOMPARE(box->isChecked(), flags.contains(u"ticked"));
    if (flags.contains(u"box") || flags.contains(u"centred"))
        QCOMPARE(edit->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    if (flags.contains(u"box")) {
        QCOMPARE(edit->maxLength(), 6);
        QCOMPARE(edit->width(), 50);
    }
    if (button && tab == kTop && text.isEmpty()) {
        // Square icon buttons of 315 twips with a 16 x 16 picture, sharp at
        // twice the pixel density too.
        QCOMPARE(button->size(), QSize(21, 21));
        QCOMPARE(button->iconSize(), QSize(16, 16));
        QVERIFY(!button->icon().isNull());
        QCOMPARE(button->icon().pixmap(QSize(16, 16), 2.0).size(), QSize(32, 32));
    }
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
    const std::vector<const char *> captions { "search result", "search options", "htm/txt options",
                                               "settings", "htm preview" };
    QCOMPARE(size_t(tabs->count()), captions.size());
    for (int i = 0; i < tabs->count(); ++i)
        QCOMPARE(tabs->tabText(i), QLatin1String(captions[size_t(i)]));
    QCOMPARE(m_run->window->windowTitle(), QStringLiteral("K I V"));
}

void TestControlNames::iconButtonsInOrder()
{
    showTab(0);
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
    for (const auto &[box, rowLabel, columnLabel] :
         std::initializer_list<std::tuple<const char *, const char *, const char *>> {
             { "txtBackgroundColor", "body", "backcolor" },
             { "txtTextColor", "text", "fontcolor" },
             { "cmdFont", "text", "font" },
             { "txtHeaderColor", "header", "backcolor" },
             { "txtDirColor", "folder", "backcolor" },
             { "txtDirFontColor", "folder", "fontcolor" },
             { "txtFontSizeDIR", "folder", "size" },
             { "txtFileColor", "file", "backcolor" },
             { "txtFontSizeFILE", "file", "size" } })
        QTest::newRow(box) << QString::fromUtf8(box) << QString::fromUtf8(rowLabel)
                           << QString::fromUtf8(columnLabel);
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
