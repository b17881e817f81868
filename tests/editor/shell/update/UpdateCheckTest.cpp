// The update check against a server of the test's own on 127.0.0.1: what counts as a reply, the
// proxy road, the time-out and cancelling.

#include "UpdateCheck.h"
#include "UpdateTestServer.h"

#include "TestSupport.h"
#include "registry/RegistryHelpers.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace kfm::update {
namespace {

using kfm::test::CommandRecorder;
using kfm::test::UpdateTestServer;

constexpr UINT kCommand = 1224;
// Waits for what the event loop brings; never reached unless the check is broken.
constexpr int kPatienceMs = 60000;

QByteArray versionText(const QByteArray& version, const QByteArray& signature = "kfm120021") {
    return "[kfm]\r\nsignature=" + signature + "\r\n" + version +
           "[version keys]\r\n0=kfm_US\r\n[kfm_US]\r\nFaster saving.\r\n";
}

const QByteArray kBuild3001 = "majorversion=5\r\nminorversion=0\r\nmajorbuild=3001\r\n";

class UpdateCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        kfm::test::ensureGuiApplication();
        savedTmp_ = qgetenv("TMPDIR");
        qputenv("TMPDIR", QByteArray::fromStdString(tmp_.path().string()));
        saved_ = TheUpdateServer();
        TheUpdateServer().baseUrl = "http://127.0.0.1:" + std::to_string(server_.port()) + "/kfm/";
    }
    void TearDown() override {
        TheUpdateServer() = saved_;
        if (savedTmp_.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", savedTmp_);
    }

    // Runs a check to its posted command.
    VersionOutcome run(int useNoProxy = 1, const std::string& proxy = {}) {
        CommandRecorder window;
        const auto check = StartUpdateCheck(&window, kCommand, "kfm", useNoProxy, proxy);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !window.commands.empty(); }, kPatienceMs));
        EXPECT_EQ(window.commands, std::vector<UINT>{kCommand});
        EXPECT_FALSE(check->Running());
        EXPECT_TRUE(kfmFiles().isEmpty()) << "the reply's temporary file stays";
        return check->Outcome();
    }

    QStringList kfmFiles() const {
        return QDir(QString::fromStdString(tmp_.path().string()))
            .entryList({QStringLiteral("kfm*")}, QDir::Files);
    }

    kfm::test::ScopedRegistry registry_;
    kfm::test::TempDir tmp_;
    UpdateTestServer server_;
    UpdateServer saved_;
    QByteArray savedTmp_;
};

TEST_F(UpdateCheckTest, AGoodReplyIsComparedAndItsNewsKept) {
    server_.answer(UpdateTestServer::response(versionText(kBuild3001)));
    const VersionOutcome outcome = run();
    EXPECT_EQ(outcome.result, kNewerBuild);
    EXPECT_EQ(outcome.news, "Faster saving.\r\n");
    ASSERT_EQ(server_.requestLines().size(), 1);
    EXPECT_EQ(server_.requestLines()[0], "GET /kfm/version.txt HTTP/1.1");
    EXPECT_TRUE(server_.lastRequest().contains(
        "User-Agent: Mozilla/4.0 (compatible; MSIE 4.01; Windows NT)"));
    const std::string stored = ReadRegString("UpdateInfo", "LastFileName", "");
    EXPECT_EQ(QFileInfo(QString::fromStdString(stored)).fileName().left(3), "kfm");
}

TEST_F(UpdateCheckTest, RepliesAreReadWholeAndBounded) {
    // Padding after the news makes a reply long without changing what it says.
    const QByteArray padded = versionText(kBuild3001) + "[padding]\r\n" + QByteArray(6000, 'p');
    const QByteArray oversized =
        versionText(kBuild3001) + "[padding]\r\n" + QByteArray(kLargestReply, 'p');
    struct Case {
        const char* name;
        QByteArray response;
        int pieces;
        int result;
    };
    const Case cases[] = {
        {"no Content-Length, past 5121 bytes", UpdateTestServer::response(padded, 200, false), 1,
         kNewerBuild},
        {"written in pieces", UpdateTestServer::response(padded), 7, kNewerBuild},
        {"pieces without Content-Length", UpdateTestServer::response(padded, 200, false), 5,
         kNewerBuild},
        {"not found", UpdateTestServer::response(versionText(kBuild3001), 404), 1, kNoReply},
        {"server error", UpdateTestServer::response(versionText(kBuild3001), 500), 1, kNoReply},
        {"another signature", UpdateTestServer::response(versionText(kBuild3001, "abc120021")), 1,
         kNoReply},
        {"oversized", UpdateTestServer::response(oversized), 1, kNoReply},
        {"oversized without Content-Length", UpdateTestServer::response(oversized, 200, false), 3,
         kNoReply},
        {"cut short of its Content-Length",
         "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(padded.size() + 100) +
             "\r\nConnection: close\r\n\r\n" + padded,
         1, kNoReply},
        {"same version",
         UpdateTestServer::response(
             versionText("majorversion=5\r\nmajorbuild=3000\r\nminorbuild=2\r\n")),
         1, kNotNewer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server_.answer(c.response, c.pieces);
        EXPECT_EQ(run().result, c.result);
    }
}

TEST_F(UpdateCheckTest, ASilentServerTimesOut) {
    TheUpdateServer().transferTimeoutMs = 200;
    server_.stayQuiet();
    EXPECT_EQ(run().result, kNoReply);
}

TEST_F(UpdateCheckTest, WithAProxyTheRequestGoesToItInAbsoluteForm) {
    TheUpdateServer().baseUrl = saved_.baseUrl;
    server_.answer(UpdateTestServer::response(versionText(kBuild3001)));
    const VersionOutcome outcome = run(0, "127.0.0.1:" + std::to_string(server_.port()));
    EXPECT_EQ(outcome.result, kNewerBuild);
    ASSERT_EQ(server_.requestLines().size(), 1);
    EXPECT_EQ(server_.requestLines()[0],
              "GET " + QByteArray::fromStdString(saved_.baseUrl) + "version.txt HTTP/1.1");
    EXPECT_TRUE(QByteArray::fromStdString(saved_.baseUrl).startsWith("http://www."));
}

TEST_F(UpdateCheckTest, AProxyWithoutAServerGivesNoReply) {
    EXPECT_EQ(run(0, ":8080").result, kNoReply);
    EXPECT_TRUE(server_.requestLines().isEmpty());
}

TEST_F(UpdateCheckTest, CancelBeepsPostsNothingAndRemovesTheTemporaryFile) {
    server_.stayQuiet();
    CommandRecorder window;
    const auto check = StartUpdateCheck(&window, kCommand, "kfm", 1, {});
    int beeps = 0;
    check->SetBeep([&] { ++beeps; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !server_.lastRequest().isEmpty(); }, kPatienceMs));
    EXPECT_EQ(kfmFiles().size(), 1);
    check->Cancel();
    EXPECT_EQ(beeps, 1);
    EXPECT_FALSE(check->Running());
    EXPECT_TRUE(kfmFiles().isEmpty());
    // Whatever the loop still holds reaches no window.
    QTest::qWait(50);
    EXPECT_TRUE(window.commands.empty());
}

TEST_F(UpdateCheckTest, NoWindowMeansNoCheck) {
    EXPECT_EQ(StartUpdateCheck(nullptr, kCommand, "kfm", 1, {}), nullptr);
    EXPECT_EQ(LoadWinInet(), 1);
}

} // namespace
} // namespace kfm::update
