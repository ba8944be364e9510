#include "app/program_state.h"
#include "ui/zfrm_info.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// The info window, driven step by step as its timer would drive it.

namespace {

const QString kCrLf = QStringLiteral("\r\n");
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
    for (int i = 0; i < count; ++i)
        window.tm_Timer();
}

} // namespace

class TestInfoWindow : public QObject
{
    Q_OBJECT

private slots:
    void init() { fillState(m_state); }
    void creditTextHoldsTheLinesInOrder();
    void windowHasItsTitleSizeAndControls();
    void pictureScrollsAndFirstCharacterComesInStep221();
    void typingStopsAtLengthPlusThree();
    void clickStartsThePictureAgain_data();
    void clickStartsThePictureAgain();
    void twoOpeningsShowTheSameStartTimeAndStartAfresh();

private:
    ProgramState m_state;
};

void TestInfoWindow::creditTextHoldsTheLinesInOrder()
{
    const QString expected = kCrLf + kCrLf + QStringLiteral("kiv") + kCrLf
        + QStringLiteral("Quorvel") + kCrLf + QStringLiteral("Version: 1.12.1128") + kCrLf
        + QStringLiteral("Start: 05.03.24 14:07:09") + kCrLf + kCrLf + QStringLiteral("credit line")
        + kCrLf + QStringLiteral("Morbanta") + kCrLf
        + QString::fromLatin1(ProgramIdentity::kAuthorMail) + kCrLf + kCrLf
        + QStringLiteral("Entwickler:") + kCrLf + QStringLiteral("Dallowin") + kCrLf + kCrLf + kCrLf
        + kCrLf + kCrLf + kCrLf;
    const QString text = InfoCreditText(m_state, kGerman);
    qsizetype differ = 0;
    while (differ < qMin(text.size(), expected.size()) && text.at(differ) == expected.at(differ))
        ++differ;
    QVERIFY2(text == expected,
             qPrintable(QStringLiteral("first difference at %1: got \"%2\", expected \"%3\"")
                            .arg(differ)
                            .arg(text.mid(differ, 20), expected.mid(differ, 20))));
}

void TestInfoWindow::windowHasItsTitleSizeAndControls()
{
    zfrm_Info window(m_state, nullptr, zfrm_Info::TimerDriving::ByTest, kGerman);
    QCOMPARE(window.windowTitle(), QStringLiteral("Information"));
    QVERIFY(window.isModal());
    QCOMPARE(window.size(), QSize(267, 267)); // 4000 twips at 15 twips a pixel
    QVERIFY(window.isTimerRunning());

    // 90 twips in; 240 narrower and 760 lower than the window.
    QCOMPARE(window.textArea()->geometry(), QRect(6, 6, 251, 216));
    QCOMPARE(window.closeButton()->geometry().topLeft(), QPoint(6, 225));
    QCOMPARE(window.closeButton()->width(), 251);
    QCOMPARE(window.textArea()->font().family(), QStringLiteral("Lucida Console"));
    QCOMPARE(window.textArea()->palette().color(QPalette::WindowText), QColor(0, 0, 128));

    // The caption is a picture; the button itself has no text.
    QVERIFY(window.closeButton()->text().isEmpty());
    QVERIFY(!window.closeButton()->icon().isNull());
    QCOMPARE(window.closeButton()->accessibleName(), QStringLiteral("Schließen"));
    // The word is drawn in dark blue after a run of blanks, about in the
    // middle of the button.
    const QImage caption
        = window.closeButton()->icon().pixmap(window.closeButton()->iconSize()).toImage();
    QCOMPARE(caption.width(), window.closeButton()->width());
    int left = caption.width();
    int right = -1;
    for (int y = 0; y < caption.height(); ++y) {
        for (int x = 0; x < caption.width(); ++x) {
            const QColor c = caption.pixelColor(x, y);
            if (c.blue() > 2 * c.red() + 40 && c.blue() > 2 * c.green() + 40) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    QVERIFY2(right > left, "no dark blue text on the button");
    QVERIFY2(left > caption.width() / 4, qPrintable(QString::number(left)));
    QVERIFY2(right < caption.width() * 3 / 4, qPrintable(QString::number(right)));
    QCOMPARE(window.photo()->pixmap().size(), QSize(164, 122));
    QCOMPARE(window.photo()->pos(), QPoint(41, 233)); // 620, 3500 twips
}

void TestInfoWindow::pictureScrollsAndFirstCharacterComesInStep221()
{
    zfrm_Info window(m_state, nullptr, zfrm_Info::TimerDriving::ByTest, kGerman);
    for (int n = 1; n <= kScrollSteps; ++n) {
        window.tm_Timer();
        QCOMPARE(window.scrollPosition(), 3500 - 25 * n);
        QVERIFY2(window.typedText().isEmpty(), qPrintable(QString::number(n)));
    }
    QCOMPARE(window.scrollPosition(), -2000); // not yet below
    QCOMPARE(window.photo()->pos(), QPoint(41, -133));
    window.tm_Timer(); // step 221
    QCOMPARE(window.typedText(), window.creditText().left(1));
    QCOMPARE(window.characterPosition(), 3);
    window.tm_Timer();
    QCOMPARE(window.typedText(), window.creditText().left(2));
    QCOMPARE(window.scrollPosition(), 3500 - 25 * 222); // the picture keeps moving
}

void TestInfoWindow::typingStopsAtLengthPlusThree()
{
    zfrm_Info window(m_state, nullptr, zfrm_Info::TimerDriving::ByTest, kGerman);
    const int length = int(window.creditText().size());
    step(window, kScrollSteps + length);
    QCOMPARE(window.typedText(), window.creditText());
    QCOMPARE(window.characterPosition(), length + 2);
    QVERIFY(window.isTimerRunning());
    window.tm_Timer(); // the empty step: the position reaches length + 3
    QCOMPARE(window.typedText(), window.creditText());
    QCOMPARE(window.characterPosition(), 2);
    QVERIFY(!window.isTimerRunning());
}

void TestInfoWindow::clickStartsThePictureAgain_data()
{
    QTest::addColumn<int>("stepsBefore"); // -1: until typing has ended
    QTest::addColumn<int>("nextCharacter"); // 0-based, typed once the picture has scrolled
    QTest::newRow("while scrolling") << 100 << 0;
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

void TestInfoWindow::twoOpeningsShowTheSameStartTimeAndStartAfresh()
{
    QPointer<zfrm_Info> reference;
    QWidget owner;
    owner.show();
    QStringList texts;
    QList<int> positions;
    QList<zfrm_Info *> windows;
    auto closeWhenShown = [&](int waitMs) {
        QTimer::singleShot(0, [&, waitMs] {
            QVERIFY(reference);
            QVERIFY(reference->isModal());
            windows.append(reference.data());
            texts.append(reference->creditText());
            positions.append(reference->scrollPosition());
            QTest::qWait(waitMs); // the first window's timer runs meanwhile
            positions.append(reference->scrollPosition());
            reference->closeButton()->click();
        });
    };
    closeWhenShown(200);
    ShowInfoWindow(reference, m_state, &owner);
    QVERIFY(!reference); // unloading dropped the reference
    closeWhenShown(0);
    ShowInfoWindow(reference, m_state, &owner);
    QVERIFY(!reference);

    QCOMPARE(texts.size(), 2);
    QCOMPARE(texts.at(0), texts.at(1));
    QCOMPARE(texts.at(0), InfoCreditText(m_state)); // the program's start, not now
    QCOMPARE(positions.at(0), 3500);
    QVERIFY(positions.at(1) < 3500); // it was animating
    QCOMPARE(positions.at(2), 3500); // the second opening starts from the beginning
}

QTEST_MAIN(TestInfoWindow)
#include "tst_info_window.moc"
