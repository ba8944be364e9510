#include "core/html_text.h"

#include <QRegularExpression>
#include <QtTest>

namespace {

template<typename Input> void addRow(const char *name, const Input &input, const QByteArray &page)
{
    QTest::newRow(name) << input << page;
}

} // namespace

class TestHtmlText : public QObject
{
    Q_OBJECT

private slots:
    void text_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QByteArray>("page");
        addRow("markup characters", QStringLiteral("<b>&\"'.txt"), "&lt;b&gt;&amp;&quot;&#39;.txt");
        addRow("Latin-1 stays one byte", QStringLiteral("caf\u00e9 \u00ff"), "caf\xE9 \xFF");
        addRow("CJK as reference", QStringLiteral("\u65e5.txt"), "&#26085;.txt");
        addRow("beyond the BMP", QStringLiteral("\U0001F600"), "&#128512;");
        addRow("line breaks and TAB", QStringLiteral("a\nb\tc\rd"), "a&#10;b&#9;c&#13;d");
        addRow("lone surrogate", QString(QChar(0xD800)), "&#65533;");
        // A browser reads the page as windows-1252: byte 85 would show as "…".
        addRow("C1 controls", QStringLiteral("a\u0085b\u009f\u00a0"), "a&#65533;b&#65533;\xA0");
        addRow("plain", QStringLiteral("Plain 123 (x) = ok;"), "Plain 123 (x) = ok;");
        addRow("empty", QString(), QByteArray());
    }

    void text()
    {
        QFETCH(QString, input);
        QFETCH(QByteArray, page);
        QCOMPARE(HtmlText::text(input), page);
        // File-system bytes of the same text give the same page bytes.
        if (QStringView(input).toUtf8() != "?")
            QCOMPARE(HtmlText::utf8(input.toUtf8()), page);
    }

    // File-system bytes as page text (undecodable bytes replaced) and as a
    // link (undecodable bytes percent-encoded).
    void fileBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("page"); // a link when bytes start with "/"
        addRow("lone FF", QByteArray("bad\xFF.txt"), "bad&#65533;.txt");
        addRow("cut sequence", QByteArray("x\xE6\x97"), "x&#65533;&#65533;");
        addRow("overlong slash", QByteArray("\xC0\xAF"), "&#65533;&#65533;");
        addRow("surrogate", QByteArray("\xED\xA0\x80"), "&#65533;&#65533;&#65533;");
        addRow("link plain", QByteArray("/data/a.txt"), "file:///data/a.txt");
        addRow("link hash percent question", QByteArray("/d/50% #1?.txt"),
               "file:///d/50%25 %231%3F.txt");
        addRow("link markup", QByteArray("/d/<b>&\"'.txt"),
               "file:///d/&lt;b&gt;&amp;&quot;&#39;.txt");
        addRow("link Latin-1 and CJK", QByteArray("/d/caf\xC3\xA9\xE6\x97\xA5"),
               "file:///d/caf\xE9&#26085;");
        addRow("link undecodable byte", QByteArray("/d/\xFF.txt"), "file:///d/%FF.txt");
        addRow("link C1 controls", QByteArray("/d/c1\xC2\x85x\xC2\x9F"),
               "file:///d/c1%C2%85x%C2%9F");
        addRow("link backslash", QByteArray("/d/a\\b"), "file:///d/a%5Cb");
        addRow("link line break", QByteArray("/d/a\nb"), "file:///d/a%0Ab");
        addRow("link blanks around", QByteArray("/d/ x "), "file:///d/ x%20");
        addRow("link root", QByteArray("/"), "file:///");
    }

    void fileBytes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, page);
        QCOMPARE(bytes.startsWith('/') ? HtmlText::fileUrl(bytes) : HtmlText::utf8(bytes), page);
    }

    // The link leads back to the file through the steps a browser takes:
    // the page's bytes read as Latin-1, references resolved, then the URL.
    void fileUrlRoundTrip()
    {
        const QByteArray path("/d/50% #1?caf\xC3\xA9 \xE6\x97\xA5&x\\y\xC2\x85 z ");
        QString attribute = QString::fromLatin1(HtmlText::fileUrl(path));
        static const QRegularExpression reference(QStringLiteral("&#(\\d+);"));
        for (auto match = reference.match(attribute); match.hasMatch();
             match = reference.match(attribute)) {
            const char32_t c = match.captured(1).toUInt();
            attribute.replace(match.capturedStart(), match.capturedLength(),
                              QString::fromUcs4(&c, 1));
        }
        const QUrl url(attribute.replace(QStringLiteral("&amp;"), QStringLiteral("&")));
        QVERIFY(url.isValid());
        QCOMPARE(url.toLocalFile().toUtf8(), path);
    }
};

QTEST_GUILESS_MAIN(TestHtmlText)
#include "tst_html_text.moc"
