// Option values never become code in the page: hostile colours, fonts and
// font sizes leave the page with the same tags, script places and style
// rules as the default options; a colour or size the page cannot hold is
// written as the option's first-run default, and a font name in CSS's own
// escapes.
#include "app/program_state.h"
#include "output/page_generator.h"
#include "output/page_values.h"
#include "scan/result_list.h"
#include "scan/scan_counters.h"
#include "support/page_markup.h"

#include <QBuffer>
#include <QtTest>

namespace {

using Field = QString ProgramState::*;

// The first-run options, spelled out here.
void setDefaults(ProgramState &state)
{
    state.sgBackgroundColor = state.sgGridColor = QStringLiteral("FFFFFF");
    state.sgTextColor = state.sgDirFontColor = QStringLiteral("000000");
    state.sgHeaderColor = state.sgDirColor = state.sgHoverColor = QStringLiteral("eaeaea");
    state.sgFileColor = QStringLiteral("ffffff");
    state.sgFont = QStringLiteral("Arial");
    state.sgFontSizeFILE = QStringLiteral("8");
    state.sgFontSizeDIR = QStringLiteral("9");
}

const QStringList kHostileColours { QStringLiteral("';alert(1);'"),
                                    QStringLiteral("');alert(1);//"),
                                    QStringLiteral("fff\"><script>alert(1)</script>"),
                                    QStringLiteral("12;}body{background:url(x)"),
                                    QStringLiteral("red"),
                                    QStringLiteral("#ffffff"),
                                    QStringLiteral("1234567"),
                                    QStringLiteral(""),
                                    QStringLiteral(" ffffff"),
                                    QStringLiteral("ff ff"),
                                    QStringLiteral("ffffff\n"),
                                    QStringLiteral("&#39;"),
                                    QStringLiteral("\u00e9\u00e9"),
                                    QStringLiteral("0x12") };

const QStringList kHostileFonts { QStringLiteral("Q&A Sans"),
                                  QStringLiteral("a;b"),
                                  QStringLiteral("x}</style><script>alert(1)</script>"),
                                  QStringLiteral("x</STYLE >"),
                                  QStringLiteral("a{b}"),
                                  QStringLiteral("\"quoted\""),
                                  QStringLiteral("'single'"),
                                  QStringLiteral("back\\slash"),
                                  QStringLiteral("url(javascript:alert(1))"),
                                  QStringLiteral("expression(alert(1))"),
                                  QStringLiteral("line\nbreak\r"),
                                  QStringLiteral("tab\tbell\a"),
                                  QStringLiteral("/* comment"),
                                  QStringLiteral("@import 'x';"),
                                  QStringLiteral("<!--"),
                                  QStringLiteral("c1\u0085\u009f"),
                                  QStringLiteral("\u65e5\u672c \U0001F600"),
                                  QStringLiteral("") };

const QStringList kHostileSizes {
    QStringLiteral("9pt;x"), QStringLiteral("}"),    QStringLiteral("8,25,3"),
    QStringLiteral("-1"),    QStringLiteral("1e3"),  QStringLiteral(""),
    QStringLiteral("8 "),    QStringLiteral("12px"), QStringLiteral("expression(1)"),
    QStringLiteral("\u0661")
};

struct HostileKey
{
    const char *key;
    Field field;
    const QStringList *values;
};

const HostileKey kHostileKeys[] = {
    { "sgBackgroundColor", &ProgramState::sgBackgroundColor, &kHostileColours },
    { "sgGridColor", &ProgramState::sgGridColor, &kHostileColours },
    { "sgTextColor", &ProgramState::sgTextColor, &kHostileColours },
    { "sgDirColor", &ProgramState::sgDirColor, &kHostileColours },
    { "sgDirFontColor", &ProgramState::sgDirFontColor, &kHostileColours },
    { "sgFileColor", &ProgramState::sgFileColor, &kHostileColours },
    { "sgHeaderColor", &ProgramState::sgHeaderColor, &kHostileColours },
    { "sgHoverColor", &ProgramState::sgHoverColor, &kHostileColours },
    { "sgFont", &ProgramState::sgFont, &kHostileFonts },
    { "sgFontSizeFILE", &ProgramState::sgFontSizeFILE, &kHostileSizes },
    { "sgFontSizeDIR", &ProgramState::sgFontSizeDIR, &kHostileSizes },
};

} // namespace

class TestPageValues : public QObject
{
    Q_OBJECT

private:
    ProgramState m_state;
    ResultList m_list;
    ScanCounters m_counters { 3, 3, 2, 2 };

    QByteArray page()
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        PageRequest request;
        request.list = &m_list;
        request.counters = &m_counters;
        request.state = &m_state;
        request.folderText = QStringLiteral("/data/");
        request.patternText = QStringLiteral("*.*");
        request.device = &buffer;
        return GeneratePage(request).ok ? buffer.data() : QByteArray("FAILED");
    }

private slots:
    void initTestCase()
    {
        m_state.bgBorder = m_state.bgHover = m_state.bgLink = m_state.bgRecursive = true;
        m_state.bgFileTag = { true, true, true, true, true };
        m_state.versionText = QStringLiteral("1.12.1128");
        m_list.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        ResultList::Properties size;
        size.sizeBytes = 1024;
        m_list.addFileRow("lead.txt", "/data", size);
        m_list.addFolderRow(QStringLiteral("/data/a"), "/data/a", size, 2);
        m_list.addFileRow("one.txt", "/data/a", size);
        m_list.addFileRow("two.txt", "/data/a", size);
    }

    // Which texts the page takes as a colour or a font size as they stand.
    void validValues_data()
    {
        QTest::addColumn<bool>("colour"); // else a font size
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        const auto rows = [](bool colour, QStringList valid, const QStringList &hostile) {
            for (const QString &text : valid)
                QTest::addRow("%s %s", colour ? "colour" : "size", qPrintable(text))
                    << colour << text << true;
            for (const QString &text : hostile)
                QTest::addRow("%s not: %s", colour ? "colour" : "size", qPrintable(text))
                    << colour << text << false;
        };
        rows(true,
             { QStringLiteral("0"), QStringLiteral("abc"), QStringLiteral("ABCDEF"),
               QStringLiteral("12aB9f"), QStringLiteral("eaeaea") },
             kHostileColours);
        rows(false,
             { QStringLiteral("8"), QStringLiteral("9,5"), QStringLiteral("8.25"),
               QStringLiteral("12"), QStringLiteral(",5"), QStringLiteral("7.") },
             kHostileSizes);
    }

    void validValues()
    {
        QFETCH(bool, colour);
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(colour ? PageValues::isColour(text) : PageValues::isFontSize(text), valid);
    }

    void fontNames_data()
    {
        QTest::addColumn<QString>("font");
        QTest::addColumn<QByteArray>("css");
        QTest::newRow("plain") << "Courier New" << QByteArray("Courier New");
        QTest::newRow("hyphen, digits, comma")
            << "Noto-Sans_2, Tahoma" << QByteArray("Noto-Sans_2, Tahoma");
        QTest::newRow("Latin-1 letters") << "Caf\u00e9 \u00c6" << QByteArray("Caf\xE9 \xC6");
        QTest::newRow("ampersand") << "Q&A Sans" << QByteArray("Q\\26 A Sans");
        QTest::newRow("declaration and rule ends") << "a;b{c}" << QByteArray("a\\3B b\\7B c\\7D ");
        QTest::newRow("element end") << "x</style>" << QByteArray("x\\3C \\2F style\\3E ");
        QTest::newRow("quotes and backslash") << "\"a'\\" << QByteArray("\\22 a\\27 \\5C ");
        QTest::newRow("controls dropped") << "a\tb\nc\u0085d\u007f" << QByteArray("abcd");
        QTest::newRow("beyond Latin-1") << "\u65e5\U0001F600" << QByteArray("\\65E5 \\1F600 ");
    }

    void fontNames()
    {
        QFETCH(QString, font);
        QFETCH(QByteArray, css);
        QByteArray page;
        PageValues::appendFontName(page, font);
        QCOMPARE(page, css);
    }

    void hostileValuesKeepThePageShape_data()
    {
        QTest::addColumn<bool>("toggle");
        QTest::newRow("table") << false;
        QTest::newRow("toggle") << true;
    }

    // Every hostile value of every colour, font and size key, one at a
    // time: the page has the default page's tags, script places and rules.
    void hostileValuesKeepThePageShape()
    {
        QFETCH(bool, toggle);
        m_state.bgToggle = toggle;
        setDefaults(m_state);
        const PageMarkup defaults(page());
        QVERIFY2(defaults.problem().isEmpty(), qPrintable(defaults.problem()));
        QVERIFY(defaults.shape().contains(toggle ? "<script" : "onmouseover"));
        for (const HostileKey &key : kHostileKeys) {
            for (const QString &value : *key.values) {
                setDefaults(m_state);
                m_state.*key.field = value;
                const QByteArray bytes = page();
                const PageMarkup markup(bytes);
                const QString where = QStringLiteral("%1=%2: ").arg(QLatin1String(key.key), value);
                QVERIFY2(markup.problem().isEmpty(), qPrintable(where + markup.problem()));
                QVERIFY2(markup.shape() == defaults.shape(),
                         qPrintable(where + QString::fromUtf8(bytes)));
            }
        }
    }

    // A value the page cannot hold is written as the first-run default and
    // reported; the others keep their bytes.
    void replacedOptions()
    {
        setDefaults(m_state);
        m_state.sgGridColor = QStringLiteral("abc");
        m_state.sgHoverColor = QStringLiteral("';alert(1);'");
        m_state.sgFontSizeDIR = QStringLiteral("9pt");
        m_state.sgFileColor = QStringLiteral("");
        const PageStyle style = PageStyleOf(m_state);
        QCOMPARE(style.gridColor, QStringLiteral("abc"));
        QCOMPARE(style.hoverColor, QStringLiteral("eaeaea"));
        QCOMPARE(style.fontSizeDIR, QStringLiteral("9"));
        QCOMPARE(style.fileColor, QStringLiteral("ffffff"));
        QStringList replaced;
        for (const ReplacedOption &option : ReplacedPageOptions(m_state))
            replaced << option.key + u'=' + option.value + u'>' + option.written;
        QCOMPARE(replaced,
                 (QStringList { QStringLiteral("sgFontSizeDIR=9pt>9"),
                                QStringLiteral("sgFileColor=>ffffff"),
                                QStringLiteral("sgHoverColor=';alert(1);'>eaeaea") }));
        setDefaults(m_state);
        QVERIFY(ReplacedPageOptions(m_state).empty());
    }
};

QTEST_GUILESS_MAIN(TestPageValues)
#include "tst_page_values.moc"
