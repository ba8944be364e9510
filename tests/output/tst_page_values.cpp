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

using namespace Qt::StringLiterals;

namespace {

using Field = QString ProgramState::*;

// The first-run options, spelled out here.
void setDefaults(ProgramState &state)
{
    state.sgBackgroundColor = state.sgGridColor = u"FFFFFF"_s;
    state.sgTextColor = state.sgDirFontColor = u"000000"_s;
    state.sgHeaderColor = state.sgDirColor = state.sgHoverColor = u"eaeaea"_s;
    state.sgFileColor = u"ffffff"_s;
    state.sgFont = u"Arial"_s;
    state.sgFontSizeFILE = u"8"_s;
    state.sgFontSizeDIR = u"9"_s;
}

const QStringList kHostileColours { u"';alert(1);'"_s,
                                    u"');alert(1);//"_s,
                                    u"fff\"><script>alert(1)</script>"_s,
                                    u"12;}body{background:url(x)"_s,
                                    u"red"_s,
                                    u"#ffffff"_s,
                                    u"1234567"_s,
                                    u""_s,
                                    u" ffffff"_s,
                                    u"ff ff"_s,
                                    u"ffffff\n"_s,
                                    u"&#39;"_s,
                                    u"\u00e9\u00e9"_s,
                                    u"0x12"_s };

const QStringList kHostileFonts { u"Q&A Sans"_s,
                                  u"a;b"_s,
                                  u"x}</style><script>alert(1)</script>"_s,
                                  u"x</STYLE >"_s,
                                  u"a{b}"_s,
                                  u"\"quoted\""_s,
                                  u"'single'"_s,
                                  u"back\\slash"_s,
                                  u"url(javascript:alert(1))"_s,
                                  u"expression(alert(1))"_s,
                                  u"line\nbreak\r"_s,
                                  u"tab\tbell\a"_s,
                                  u"/* comment"_s,
                                  u"@import 'x';"_s,
                                  u"<!--"_s,
                                  u"c1\u0085\u009f"_s,
                                  u"\u65e5\u672c \U0001F600"_s,
                                  u""_s };

const QStringList kHostileSizes { u"9pt;x"_s,         u"}"_s,     u"8,25,3"_s, u"-1"_s,
                                  u"1e3"_s,           u""_s,      u"8 "_s,     u"12px"_s,
                                  u"expression(1)"_s, u"\u0661"_s };

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
        request.folderText = u"/data/"_s;
        request.patternText = u"*.*"_s;
        request.device = &buffer;
        return GeneratePage(request).ok ? buffer.data() : QByteArray("FAILED");
    }

private slots:
    void initTestCase()
    {
        m_state.bgBorder = m_state.bgHover = m_state.bgLink = m_state.bgRecursive = true;
        m_state.bgFileTag = { true, true, true, true, true };
        m_state.versionText = u"1.12.1128"_s;
        m_list.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        ResultList::Properties size;
        size.sizeBytes = 1024;
        m_list.addFileRow("lead.txt", "/data", size);
        m_list.addFolderRow(u"/data/a"_s, "/data/a", size, 2);
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
        rows(true, { u"0"_s, u"abc"_s, u"ABCDEF"_s, u"12aB9f"_s, u"eaeaea"_s }, kHostileColours);
        rows(false, { u"8"_s, u"9,5"_s, u"8.25"_s, u"12"_s, u",5"_s, u"7."_s }, kHostileSizes);
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
                const QString where = u"%1=%2: "_s.arg(QLatin1String(key.key), value);
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
        m_state.sgGridColor = u"abc"_s;
        m_state.sgHoverColor = u"';alert(1);'"_s;
        m_state.sgFontSizeDIR = u"9pt"_s;
        m_state.sgFileColor = u""_s;
        const PageStyle style = PageStyleOf(m_state);
        QCOMPARE(style.gridColor, u"abc"_s);
        QCOMPARE(style.hoverColor, u"eaeaea"_s);
        QCOMPARE(style.fontSizeDIR, u"9"_s);
        QCOMPARE(style.fileColor, u"ffffff"_s);
        QStringList replaced;
        for (const ReplacedOption &option : ReplacedPageOptions(m_state))
            replaced << option.key + u'=' + option.value + u'>' + option.written;
        QCOMPARE(replaced,
                 (QStringList { u"sgFontSizeDIR=9pt>9"_s, u"sgFileColor=>ffffff"_s,
                                u"sgHoverColor=';alert(1);'>eaeaea"_s }));
        setDefaults(m_state);
        QVERIFY(ReplacedPageOptions(m_state).empty());
    }
};

QTEST_GUILESS_MAIN(TestPageValues)
#include "tst_page_values.moc"
