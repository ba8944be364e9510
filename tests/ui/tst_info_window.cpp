#include "app/program_state.h"
#include "support/file_bytes.h"
#include "ui/zfrm_info.h"

#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTest>

// The info window, driven step by step as its timer would drive it.

namespace {

const QLocale kGerman(QLocale::German, QLocale::Germany);

void fillState(ProgramState &state)
{
    state.shortName = QStringLiteral("kiv");
    state.productName = QStringLiteral("Quorvel");
    state.makerName = QStringLiteral("Morbanta");
    state.author = QStringLiteral("Dallowin");
    state.versionText = QStringLiteral("1.12.1128");
    state.creditLine = QStringLiteral("credit line");
    state.startTime = QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9));
}

// Steps until the first character: the picture starts at 3500 twips and
// moves 25 a step; typing starts below -2000.
constexpr int kScrollSteps = (3500 + 2000) / 25; // 220

void step(zfrm_Info &window, int count)
{
    while (count-- > 0)
        window.tm_Timer();
}

} // namespace

class TestInfoWindow : public QObject
{
    Q_OBJECT

private slots:
    void init() { fillState(m_state); }
    void creditTextHoldsTheLinesInOrder()
    {
        // Lines end in CR LF; six line ends follow the author.
        const QString expected
            = QStringLiteral("\n\nkiv\nQuorvel\nVersion: 1.12.1128\nStart: 05.03.24 14:07:09\n\n"
                             "credit line\nMorbanta\n%1\n\nEntwickler:\nDallowin\n\n\n\n\n\n")
                  .arg(QString::fromLatin1(ProgramIdentity::kAuthorMail))
                  .replace(QChar(u'\n'), QStringLiteral("\r\n"));
        compareBytes(InfoCreditText(m_state, kGerman).toUtf8(), expected.toUtf8());
    }

    void pictureScrollsAndFirstCharacterComesInStep221()
    {
        zfrm_Info window(m_state, nullptr, zfrm_Info::TimerDriving::ByTest, kGerman);
        for (int n = 1; n <= kScrollSteps; ++n) {
            window.tm_Timer();
            QCOMPARE(window.scrollPosition(), 3500 - 25 * n);
        }
        QCOMPARE(window.typedText(), QString());
        QCOMPARE(window.photo()->pos(), QPoint(41, -133)); // -2000 twips: not yet below
        window.tm_Timer(); // the 221st tick passes -2000 twips: typing starts
        QCOMPARE(window.typedText(), window.creditText().left(1));
        QCOMPARE(window.characterPosition(), 3);
        window.tm_Timer();
        QCOMPARE(window.typedText(), window.creditText().left(2));
        QCOMPARE(window.scrollPosition(), 3500 - 25 * 222); // the picture keeps moving

        // Typing stops once the position reaches the length plus three.
        const int length = int(window.creditText().size());
        step(window, length - 2);
        QCOMPARE(window.typedText(), window.creditText());
        QCOMPARE(window.characterPosition(), length + 2);
        QVERIFY(window.isTimerRunning());
        window.tm_Timer(); // the empty step
        QCOMPARE(window.characterPosition(), 2);
        QVERIFY(!window.isTimerRunning());
    }

    void clickStartsThePictureAgain_data()
    {
        QTest::addColumn<int>("stepsBefore"); // -1: until typing has ended
        QTest::addColumn<int>("nextCharacter"); // 0-based, typed once the picture has scrolled
        QTest::newRow("while typing keeps the character position") << kScrollSteps + 12 << 12;
        QTest::newRow("after the end types from the start") << -1 << 0;
    }

    void clickStartsThePictureAgain()
    {
        QFETCH(int, stepsBefore);
        QFETCH(int, nextCharacter);
        zfrm_Info window(m_state, nullptr, zfrm_Info::TimerDriving::ByTest, kGerman);
        window.show();
        step(window,
             stepsBefore >= 0 ? stepsBefore : kScrollSteps + int(window.creditText().size()) + 1);
        QCOMPARE(window.isTimerRunning(), stepsBefore >= 0);
        QTest::mouseClick(window.textArea(), Qt::LeftButton);
        QCOMPARE(window.typedText(), QString());
        QCOMPARE(window.scrollPosition(), 3500);
        QCOMPARE(window.characterPosition(), nextCharacter + 2);
        QVERIFY(window.isTimerRunning());
        step(window, kScrollSteps);
        QCOMPARE(window.typedText(), QString());
        window.tm_Timer();
        // Typing goes on into the emptied text.
        QCOMPARE(window.typedText(), window.creditText().mid(nextCharacter, 1));
    }

    void layoutFollowsTheOuterSize()
    {
        // Without a frame: 4000 twips are 267 pixels, and the positions are
        // those of the outer size.
        const InfoWindowLayout plain = LayOutInfoWindow(QSize(267, 267), QMargins());
        QCOMPARE(plain.textArea, QRect(6, 6, 251, 216));
        QCOMPARE(plain.closeButton, QRect(6, 225, 251, 25));
        QCOMPARE(plain.buttonPanel, QRect(0, 221, 267, 40));

        // A frame with a title bar leaves a smaller client area; the button
        // still shows whole inside it, above the bottom margin, clear of the text.
        const QMargins frame(4, 30, 4, 4);
        const InfoWindowLayout framed = LayOutInfoWindow(QSize(267, 267), frame);
        const QRect client(QPoint(0, 0), QSize(267, 267).shrunkBy(frame));
        QVERIFY(client.adjusted(6, 6, -6, -6).contains(framed.closeButton));
        QVERIFY(client.adjusted(6, 6, -6, -6).contains(framed.textArea));
        QVERIFY(!framed.textArea.intersects(framed.closeButton));
        QVERIFY(framed.buttonPanel.contains(framed.closeButton));
        QCOMPARE(framed.closeButton.height(), 25);

        // The window itself: outer size 267 x 267, centred, laid out as above.
        zfrm_Info window(m_state, nullptr, zfrm_Info::TimerDriving::ByTest, kGerman);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.frameGeometry().size(), QSize(267, 267));
        QCOMPARE(window.textArea()->geometry(), QRect(6, 6, 251, 216));
        QCOMPARE(window.closeButton()->geometry(), QRect(6, 225, 251, 25));
    }

    void creditTextFitsTheTextArea_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("de_DE") << kGerman;
        QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates);
    }

    void creditTextFitsTheTextArea()
    {
        QFETCH(QLocale, locale);
        QTemporaryDir program;
        ProgramState state;
        InitialiseProgramState(state, program.filePath(QStringLiteral("quorvel")));
        state.startTime = QDateTime(QDate(2024, 12, 28), QTime(23, 58, 59)); // a wide date
        zfrm_Info window(state, nullptr, zfrm_Info::TimerDriving::ByTest, locale);
        window.show();
        const QWidget *area = window.textArea();
        const QFontMetrics metrics(area->font());
        const int indent = 16; // 240 twips, the first line only

        // Every line of the credit text, the credit line and the date among
        // them, fits the text area's width as it stands: nothing is broken.
        const QStringList lines = window.creditText().split(QStringLiteral("\r\n"));
        for (qsizetype i = 0; i < lines.size(); ++i)
            QVERIFY2((i == 0 ? indent : 0) + metrics.horizontalAdvance(lines[i]) <= area->width(),
                     qPrintable(lines[i]));
        QCOMPARE(InfoTextLines(window.creditText(), metrics, area->width(), indent), lines);
        // ... and the last written line, the author, its height.
        const qsizetype author = lines.indexOf(state.author);
        QVERIFY(author > 0);
        QVERIFY(author * metrics.lineSpacing() + metrics.height() <= area->height());
    }

    void longLinesBreakInsideTheTextArea()
    {
        const QFont font(QStringLiteral("DejaVu Sans Mono"));
        const QFontMetrics metrics(font);
        const int width = metrics.horizontalAdvance(QStringLiteral("0123456789"));
        const QString text
            = QStringLiteral("\r\nfolder trees as pages\r\nabcdefghijklmnopqrstuvwxy");
        const QStringList lines
            = InfoTextLines(text, metrics, width, metrics.horizontalAdvance(u'x'));
        QCOMPARE(lines,
                 (QStringList { QString(), QStringLiteral("folder"), QStringLiteral("trees as"),
                                QStringLiteral("pages"), QStringLiteral("abcdefghij"),
                                QStringLiteral("klmnopqrst"), QStringLiteral("uvwxy") }));
        // The first line is indented: a word that fills a later line does not fit there.
        QCOMPARE(InfoTextLines(QStringLiteral("0123456789"), metrics, width, 1),
                 (QStringList { QStringLiteral("012345678"), QStringLiteral("9") }));
    }

    void closeButtonKeepsItsFrame()
    {
        zfrm_Info window(m_state, nullptr, zfrm_Info::TimerDriving::ByTest, kGerman);
        window.show();
        QPushButton *button = window.closeButton();
        QStyleOptionButton option;
        option.initFrom(button);
        const QRect inside
            = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        // The picture lies inside the frame, and the word on it shows whole.
        QVERIFY(inside.isValid() && inside != button->rect());
        QVERIFY(button->iconSize().width() <= inside.width());
        QVERIFY(button->iconSize().height() <= inside.height());
        const QFontMetrics metrics(button->font());
        const QString caption = QString(32, u' ') + QStringLiteral("Schließen");
        QVERIFY(2 + metrics.horizontalAdvance(caption) <= button->iconSize().width());
        QVERIFY(metrics.height() <= button->iconSize().height());
        QVERIFY(button->text().isEmpty());
    }

    void pictureNeverCoversTheButton()
    {
        zfrm_Info window(m_state, nullptr, zfrm_Info::TimerDriving::ByTest, kGerman);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QRect button = window.closeButton()->geometry();
        window.photo()->hide();
        const QImage clear = window.grab(button).toImage();
        window.photo()->show();
        // From the start until the picture has risen above the button: the
        // button looks the same at every step, as without the picture.
        for (int n = 0; n <= kScrollSteps; ++n) {
            QCOMPARE(window.grab(button).toImage(), clear);
            window.tm_Timer();
        }
        // The picture did pass there: it rose from below the button to above it.
        QVERIFY(window.photo()->geometry().bottom() < button.top());
    }

private:
    ProgramState m_state;
};

QTEST_MAIN(TestInfoWindow)
#include "tst_info_window.moc"
