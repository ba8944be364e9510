// The filter box in Firefox: the pages of the filter walk (table and toggle
// mode) opened in a headless Firefox with a profile of the test's own and
// no name lookups, driven through its Marionette port by the small client
// below: the same steps as in the web engine, typed with real key presses
// where the walk says so.
#undef QT_NO_CAST_FROM_ASCII
#include "support/filter_box_steps.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

namespace {

constexpr int kStartLimitMs = 60000;
constexpr int kAnswerLimitMs = 30000;

// Marionette: each message is its length in decimal, ":" and JSON; a
// command is [0, id, name, parameters], its answer [1, id, error, result].
class Marionette
{
public:
    ~Marionette() { stop(); }

    // The browser to run: firefox-esr, else firefox; empty when neither is
    // installed.
    static QString program()
    {
        const QString esr = QStandardPaths::findExecutable("firefox-esr");
        return esr.isEmpty() ? QStandardPaths::findExecutable("firefox") : esr;
    }

    // Starts the browser on a new profile in folder and opens a session.
    // Empty on success, else what went wrong.
    QString start(const QString &folder)
    {
        const QString program = Marionette::program();
        const QString profile = folder + "/profile";
        QDir().mkpath(profile);
        QFile prefs(profile + "/user.js");
        // Port 0: the browser picks one and names it in the profile. With
        // name lookups off nothing leaves the machine.
        if (!prefs.open(QIODevice::WriteOnly)
            || prefs.write("user_pref(\"marionette.port\", 0);\n"
                           "user_pref(\"network.dns.disabled\", true);\n"
                           "user_pref(\"browser.shell.checkDefaultBrowser\", false);\n")
                < 0)
            return "cannot write " + prefs.fileName();
        prefs.close();

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", folder);
        env.insert("XDG_CACHE_HOME", folder + "/cache");
        env.insert("XDG_CONFIG_HOME", folder + "/config");
        env.insert("MOZ_HEADLESS", "1");
        m_browser.setProcessEnvironment(env);
        m_browser.setProcessChannelMode(QProcess::MergedChannels);
        m_browser.start(
            program,
            { "--headless", "--marionette", "--no-remote", "--profile", profile, "about:blank" });
        if (!m_browser.waitForStarted())
            return "cannot start " + program;

        QFile portFile(profile + "/MarionetteActivePort");
        const bool found = QTest::qWaitFor(
            [&] {
                if (!portFile.open(QIODevice::ReadOnly))
                    return false;
                m_port = portFile.readAll().trimmed().toUShort();
                portFile.close();
                return m_port != 0;
            },
            kStartLimitMs);
        if (!found)
            return "no Marionette port: " + QString::fromLocal8Bit(m_browser.readAll());
        m_socket.connectToHost(QHostAddress::LocalHost, m_port);
        if (!m_socket.waitForConnected(kAnswerLimitMs))
            return "cannot connect: " + m_socket.errorString();
        if (!receive().isObject())
            return "no greeting: " + m_error;
        command("WebDriver:NewSession", QJsonObject { { "capabilities", QJsonObject() } });
        return m_error;
    }

    // The answer's result; on an error an empty value, and error() says it.
    QJsonValue command(const QString &name, const QJsonObject &parameters)
    {
        m_error.clear();
        const QByteArray message = QJsonDocument(QJsonArray { 0, ++m_id, name, parameters })
                                       .toJson(QJsonDocument::Compact);
        m_socket.write(QByteArray::number(message.size()) + ':' + message);
        const QJsonArray answer = receive().toArray();
        if (answer.size() != 4 || answer[1].toInt() != m_id) {
            m_error = name + ": no answer " + m_error;
            return {};
        }
        if (!answer[2].isNull()) {
            m_error = name + ": " + QString::fromUtf8(QJsonDocument(answer[2].toObject()).toJson());
            return {};
        }
        return answer[3];
    }

    // The text of what a script in the page comes to (its last statement's
    // value), as the web engine reports it.
    QString evaluate(const QString &script)
    {
        return command("WebDriver:ExecuteScript",
                       { { "script", "return String(eval(arguments[0]));" },
                         { "args", QJsonArray { script } } })
            .toObject()
            .value("value")
            .toString();
    }

    // Key presses into the element that has the focus.
    void typeKeys(const QString &text)
    {
        const QJsonObject element
            = command("WebDriver:GetActiveElement", {}).toObject().value("value").toObject();
        if (element.isEmpty())
            return;
        command("WebDriver:ElementSendKeys",
                { { "id", element.begin().value() }, { "text", text } });
    }

    [[nodiscard]] const QString &error() const { return m_error; }

    void stop()
    {
        if (m_browser.state() == QProcess::NotRunning)
            return;
        if (m_socket.state() == QAbstractSocket::ConnectedState)
            command("Marionette:Quit", {});
        if (!m_browser.waitForFinished(kAnswerLimitMs)) {
            m_browser.kill();
            m_browser.waitForFinished();
        }
    }

private:
    QJsonValue receive()
    {
        for (;;) {
            const qsizetype colon = m_received.indexOf(':');
            if (colon > 0) {
                const qsizetype length = m_received.left(colon).toLongLong();
                if (m_received.size() >= colon + 1 + length) {
                    const QByteArray body = m_received.mid(colon + 1, length);
                    m_received.remove(0, colon + 1 + length);
                    const QJsonDocument document = QJsonDocument::fromJson(body);
                    return document.isArray() ? QJsonValue(document.array())
                                              : QJsonValue(document.object());
                }
            }
            if (!m_socket.waitForReadyRead(kAnswerLimitMs)) {
                m_error = m_socket.errorString();
                return {};
            }
            m_received += m_socket.readAll();
        }
    }

    QProcess m_browser;
    QTcpSocket m_socket;
    quint16 m_port = 0;
    int m_id = 0;
    QByteArray m_received;
    QString m_error;
};

} // namespace

class TestFilterBoxFirefox : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    Marionette m_firefox;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        if (Marionette::program().isEmpty())
            QSKIP("no firefox-esr or firefox to run; scripts/install-deps.sh installs firefox-esr");
        const QString problem = m_firefox.start(m_dir.path());
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void cleanupTestCase() { m_firefox.stop(); }

    void filterBox_data() { FilterBoxSteps::addWalks(); }

    void filterBox()
    {
        const FilterBoxSteps::Walk walk = FilterBoxSteps::currentWalk(m_dir.path());
        QVERIFY(walk.page.ok);
        m_firefox.command("WebDriver:Navigate",
                          { { "url", QUrl::fromLocalFile(walk.page.path).toString() } });
        QVERIFY2(m_firefox.error().isEmpty(), qPrintable(m_firefox.error()));
        QCOMPARE(m_firefox.evaluate(FilterBoxSteps::helpers()), QString("true"));
        FilterBoxSteps::runSteps(m_firefox, walk.steps);
    }
};

QTEST_GUILESS_MAIN(TestFilterBoxFirefox)
#include "tst_filter_box_firefox.moc"
