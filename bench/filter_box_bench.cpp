// filter_box_bench PAGE [TEXT...]: types into the filter box of PAGE in
// Qt WebEngine (Chromium), one keystroke after the other, and prints what
// each keystroke cost: the filter script alone, the script with the style
// and layout work it causes (forced at once), and the time until the next
// frame has been drawn. Without TEXTs a fixed sequence is typed: a word
// letter by letter, a letter that keeps most rows, a wildcard pattern, and
// clearing the box after each. Also prints the page's load time and the
// time the filter takes to index the page when it has loaded. Runs
// offscreen; as root set QTWEBENGINE_DISABLE_SANDBOX=1 (bench/filter_box.sh
// does both).
#undef QT_NO_CAST_FROM_ASCII
#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kAnswerLimitMs = 120000;

// Runs a script and waits for its result.
QVariant run(QWebEnginePage &page, const QString &script)
{
    QVariant result;
    bool done = false;
    page.runJavaScript(script, [&](const QVariant &value) {
        result = value;
        done = true;
    });
    QElapsedTimer waited;
    waited.start();
    while (!done && waited.elapsed() < kAnswerLimitMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    return result;
}

// One keystroke: the box gets the text and its input event, as when the
// user types; the style and layout work is forced at once and timed
// apart, and the first frame after it is awaited.
const char *const kKeystroke = R"(
(function (text) {
  var box = document.getElementById("filterText");
  window.benchFrame = -1;
  var start = performance.now();
  box.value = text;
  box.dispatchEvent(new Event("input", { bubbles: true }));
  var scripted = performance.now();
  document.body.offsetHeight;
  var laidOut = performance.now();
  requestAnimationFrame(function () {
    setTimeout(function () { window.benchFrame = performance.now() - start; }, 0);
  });
  return [scripted - start, laidOut - start,
          document.getElementById("filterCount").textContent].join("|");
}))";

QString quoted(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\')
            out += u'\\';
        out += c;
    }
    return out + u'"';
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty()) {
        std::fprintf(stderr, "usage: filter_box_bench PAGE [TEXT...]\n");
        return 2;
    }
    QStringList texts = args.mid(1);
    if (texts.isEmpty()) {
        texts = { "r", "re", "rep",   "repo",  "repor", "report",   "",
                  "e", "",   "*.t?t", "*.t?t", "",      "zeta_019", "" };
    }

    QWebEngineView view;
    view.resize(1280, 900);
    view.show();
    QWebEnginePage &page = *view.page();
    bool loaded = false;
    bool ok = false;
    QObject::connect(&page, &QWebEnginePage::loadFinished, [&](bool success) {
        loaded = true;
        ok = success;
    });
    QElapsedTimer clock;
    clock.start();
    page.load(QUrl::fromLocalFile(QFileInfo(args[0]).absoluteFilePath()));
    while (!loaded && clock.elapsed() < kAnswerLimitMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    if (!ok) {
        std::fprintf(stderr, "filter_box_bench: %s did not load\n", qPrintable(args[0]));
        return 1;
    }
    const qint64 loadMs = clock.elapsed();
    if (!run(page, "typeof filterList == 'function' && filterIndex != null").toBool()) {
        std::fprintf(stderr, "filter_box_bench: %s has no filter box\n", qPrintable(args[0]));
        return 1;
    }
    const double indexMs
        = run(page, "var t = performance.now(); buildFilterIndex(); performance.now() - t")
              .toDouble();
    const int rows = run(page, "filterIndex.rows.length").toInt();
    std::printf("page: %s\nfile rows: %d, load: %lld ms, index: %.1f ms\n", qPrintable(args[0]),
                rows, loadMs, indexMs);
    std::printf("%-12s %-24s %10s %14s %12s\n", "box", "count", "script ms", "+layout ms",
                "frame ms");

    std::vector<double> frames;
    for (const QString &text : std::as_const(texts)) {
        const QStringList parts
            = run(page, QString::fromLatin1(kKeystroke) + '(' + quoted(text) + ')')
                  .toString()
                  .split(u'|');
        double frameMs = -1;
        clock.restart();
        while (frameMs < 0 && clock.elapsed() < kAnswerLimitMs) {
            frameMs = run(page, "window.benchFrame").toDouble();
            if (frameMs < 0)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        frames.push_back(frameMs);
        std::printf("%-12s %-24s %10.1f %14.1f %12.1f\n",
                    qPrintable(text.isEmpty() ? QStringLiteral("(empty)") : quoted(text)),
                    qPrintable(parts.value(2)), parts.value(0).toDouble(),
                    parts.value(1).toDouble(), frameMs);
    }
    std::printf("slowest keystroke to its frame: %.1f ms\n",
                *std::max_element(frames.begin(), frames.end()));
    return 0;
}
