#include "app/program_state.h"
#include "support/file_bytes.h"
#include "ui/zfrm_info.h"

#include <QLabel>
#include <QPushButton>
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
    void creditTextHoldsTheLinesInOrder();
    void pictureScrollsAndFirstCharacterComesInStep221();
    void clickStartsThePictureAgain_data();
    void clickStartsThePictureAgain();

private:
    ProgramState m_state;
};

void TestInfoWindow::creditTextHoldsTheLinesInOrder()
{
    // Lines end in CR LF; six line ends follow the author.
    const QString expected
        = QStringLiteral("\n\nkiv\nQuorvel\nVersion: 1.12.1128\nStart: 05.03.24 14:07:09\n\n"
                         "credit line\nMorbanta\n%1\n\nEntwickler:\nDallowin\n\n\n\n\n\n")
              .arg(QString::fromLatin1(ProgramIdentity::kAuthorMail))
              .replace(QChar(u'\n'), QStringLiteral("\r\n"));
    compareBytes(InfoCreditText(m_state, kGerman).toUtf8(), expected.toUtf8());
}

void TestInfoWindow::pictureScrollsAndFirstCharacterComesInStep221()
{
    zfrm_Info window(m_state, nullptr, zfrm_Info::TimerDriving::ByTest, kGerman);
    for (int n = 1; n <= kScrollSteps; ++n) {
        window.tm_Timer();
        QCOMPARE(window.scrollPosition(), 3500 - 25 * n);
    }
    QCOMPARE(window.typedText(), QString());
    QCOMPARE(window.photo()->pos(), QPoint(41, -133)); // -2000 twips: not yet below
    window.tm_Timer(); // step 221
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

void TestInfoWindow::clickStartsThePictureAgain_data()
{
    QTest::addColumn<int>("stepsBefore"); // -1: until typing has ended
    QTest::addColumn<int>("nextCharacter"); // 0-based, typed once the picture has scrolled
    QTest::newRow("while typing keeps the character position") << kScrollSteps + 12 << 12;
    QTest::newRow("after the end types from the start") << -1 << 0;
}

void TestInfoWindow::clickStartsThePictureAgain()
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

QTEST_MAIN(TestInfoWindow)
#include "tst_info_window.moc"
