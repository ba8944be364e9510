#include "core/html_text.h"

#include <QRegularExpression>
#include <QtTest>

class TestHtmlText : public QObject
{
    Q_OBJECT

private slots:
    void text_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QByteArray>("page");
        QTest::newRow("markup characters")
            << QStringLiteral("<b>&\"'.txt") << QByteArray("&lt;b&gt;&amp;&quot;&#39;.txt");
        QTest::newRow("Latin-1 stays one byte")
            << QStringLiteral("caf\u00e9 \u00ff") << QByteArray("caf\xE9 \xFF");
        QTest::newRow("CJK as reference")
            << QStringLiteral("\u65e5.txt") << QByteArray("&#26085;.txt");
        QTest::newRow("beyond the BMP")
            << QString::fromUtf8("\xF0\x9F\x98\x80") << QByteArray("&#128512;");
        QTest::newRow("euro sign") << QStringLiteral("\u20ac") << QByteArray("&#8364;");
        QTest::newRow("line breaks and TAB")
            << QStringLiteral("a\nb\tc\rd") << QByteArray("a&#10;b&#9;c&#13;d");
        QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("&#65533;");
        QTest::newRow("plain") << QStringLiteral("Plain 123 (x) = ok;")
                               << QByteArray("Plain 123 (x) = ok;");
        QTest::newRow("empty") << QString() << QByteArray();
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

    void undecodableBytes_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("page");
        QTest::newRow("lone FF") << QByteArray("bad\xFF.txt") << QByteArray("bad&#65533;.txt");
        QTest::newRow("Latin-1 byte") << QByteArray("caf\xE9") << QByteArray("caf&#65533;");
        QTest::newRow("cut sequence") << QByteArray("x\xE6\x97") << QByteArray("x&#65533;&#65533;");
        QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << QByteArray("&#65533;&#65533;");
        QTest::newRow("surrogate")
            << QByteArray("\xED\xA0\x80") << QByteArray("&#65533;&#65533;&#65533;");
    }

    void undecodableBytes()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, page);
        QCOMPARE(HtmlText::utf8(name), page);
    }

    void fileUrl_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("link");
        QTest::newRow("plain") << QByteArray("/data/a.txt") << QByteArray("file:///data/a.txt");
        QTest::newRow("hash percent question")
            << QByteArray("/d/50% #1?.txt") << QByteArray("file:///d/50%25 %231%3F.txt");
        QTest::newRow("markup") << QByteArray("/d/<b>&\"'.txt")
                                << QByteArray("file:///d/&lt;b&gt;&amp;&quot;&#39;.txt");
        QTest::newRow("Latin-1 and CJK")
            << QByteArray("/d/caf\xC3\xA9\xE6\x97\xA5") << QByteArray("file:///d/caf\xE9&#26085;");
        QTest::newRow("undecodable byte")
            << QByteArray("/d/\xFF.txt") << QByteArray("file:///d/%FF.txt");
        QTest::newRow("backslash") << QByteArray("/d/a\\b") << QByteArray("file:///d/a%5Cb");
        QTest::newRow("line break") << QByteArray("/d/a\nb") << QByteArray("file:///d/a%0Ab");
        QTest::newRow("blanks around") << QByteArray("/d/ x ") << QByteArray("file:///d/ x%20");
        QTest::newRow("root") << QByteArray("/") << QByteArray("file:///");
    }

    void fileUrl()
    {
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, link);
        QCOMPARE(HtmlText::fileUrl(path), link);
    }

    // The link leads back to the file through the steps a browser takes:
    // the page's bytes read as Latin-1, references resolved, then the URL.
    void fileUrlRoundTrip()
    {
        const QByteArray path("/d/50% #1?caf\xC3\xA9 \xE6\x97\xA5&x\\y z ");
        const QByteArray link = HtmlText::fileUrl(path);
        QString attribute = QString::fromLatin1(link);
        static const QRegularExpression reference(QStringLiteral("&#(\\d+);"));
        for (auto match = reference.match(attribute); match.hasMatch();
             match = reference.match(attribute)) {
            const char32_t c = match.captured(1).toUInt();
            attribute.replace(match.capturedStart(), match.capturedLength(),
                              QString::fromUcs4(&c, 1));
        }
        attribute.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        const QUrl url(attribute);
        QVERIFY(url.isValid());
        QCOMPARE(url.toLocalFile().toUtf8(), path);
    }
};

QTEST_GUILESS_MAIN(TestHtmlText)
#include "tst_html_text.moc"
