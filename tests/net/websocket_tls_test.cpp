// "wss://" against the party server with a certificate from a test
// authority made here with the openssl tool: trusted through SSL_CERT_FILE
// it works; without it, or under a name the certificate does not carry, the
// connection is refused.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "net/websocket.h"
#include "tests/net/party_server_process.h"
#include "tests/net/ws_test_support.h"

namespace {

// Makes a test authority and a server certificate for "localhost" only.
bool makeCertificates(const std::string& dir) {
    std::ofstream(dir + "/server.ext") << "subjectAltName=DNS:localhost\nbasicConstraints=CA:FALSE\n"
                                          "keyUsage=digitalSignature\nextendedKeyUsage=serverAuth\n";
    const std::string quiet = " >/dev/null 2>&1";
    const std::string ec = " -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes";
    std::string commands[] = {
        "openssl req -x509" + ec + " -keyout " + dir + "/ca.key -out " + dir + "/ca.pem -days 2" +
            " -subj /CN=Korvalo-Test-Authority -addext basicConstraints=critical,CA:TRUE" +
            " -addext keyUsage=critical,keyCertSign",
        "openssl req" + ec + " -keyout " + dir + "/server.key -out " + dir + "/server.csr -subj /CN=localhost",
        "openssl x509 -req -in " + dir + "/server.csr -CA " + dir + "/ca.pem -CAkey " + dir +
            "/ca.key -CAcreateserial -out " + dir + "/server.pem -days 2 -extfile " + dir + "/server.ext",
    };
    for (const std::string& command : commands)
        if (std::system((command + quiet).c_str()) != 0) return false;
    return true;
}

class WebSocketTlsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Each test process makes its own: ctest runs them side by side.
        std::string pattern = (std::filesystem::temp_directory_path() / "korvalo-tls-XXXXXX").string();
        if (!mkdtemp(pattern.data())) return;
        dir = new std::string(pattern);
        if (!makeCertificates(*dir)) return;
        server = new PartyServerProcess({"--cert", *dir + "/server.pem", "--key", *dir + "/server.key"});
    }
    static void TearDownTestSuite() {
        delete server;
        server = nullptr;
        if (dir) std::filesystem::remove_all(*dir);
        delete dir;
        dir = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(server) << "openssl could not make the test certificates";
        ASSERT_TRUE(server->running()) << server->problem();
        const char* old = std::getenv("SSL_CERT_FILE");
        hadCertFile = old != nullptr;
        if (old) oldCertFile = old;
    }
    void TearDown() override {
        if (hadCertFile)
            setenv("SSL_CERT_FILE", oldCertFile.c_str(), 1);
        else
            unsetenv("SSL_CERT_FILE");
    }
    static void trustTestAuthority() { setenv("SSL_CERT_FILE", (*dir + "/ca.pem").c_str(), 1); }

    static std::string* dir;
    static PartyServerProcess* server;
    bool hadCertFile = false;
    std::string oldCertFile;
};
std::string* WebSocketTlsTest::dir = nullptr;
PartyServerProcess* WebSocketTlsTest::server = nullptr;

} // namespace

TEST_F(WebSocketTlsTest, RoundTripWithTheTrustedAuthority) {
    trustTestAuthority();
    WebSocket ws;
    ws.connect(server->url("/api/party/new", true, "localhost"));
    ASSERT_EQ(waitWhileConnecting(ws), WsState::open) << ws.lastError();
    ws.sendText(helloText("SECURE"));
    JsonValue welcome = waitForType(ws, "welcome");
    EXPECT_GE(jsonInt(jsonGet(welcome, "id"), 0), 1);
    std::string big(100 * 1024, 'z'); // many TLS records each way
    ws.sendText("{\"t\":\"ping\",\"pad\":\"" + big + "\"}");
    EXPECT_EQ(waitForType(ws, "pong").kind, JsonKind::object);
    ws.close();
    EXPECT_EQ(ws.state(), WsState::closed);
    EXPECT_EQ(ws.lastError(), "");
}

TEST_F(WebSocketTlsTest, RefusedWithoutTheAuthority) {
    unsetenv("SSL_CERT_FILE");
    WebSocket ws;
    ws.connect(server->url("/api/party/new", true, "localhost"));
    EXPECT_EQ(waitWhileConnecting(ws), WsState::failed);
    EXPECT_EQ(ws.lastError(), "Can't reach the server.");
}

TEST_F(WebSocketTlsTest, RefusedUnderANameTheCertificateLacks) {
    trustTestAuthority();
    WebSocket ws;
    ws.connect(server->url("/api/party/new", true, "127.0.0.1"));
    EXPECT_EQ(waitWhileConnecting(ws), WsState::failed);
    EXPECT_EQ(ws.lastError(), "Can't reach the server.");
}

TEST_F(WebSocketTlsTest, PlainClientToTlsServerFails) {
    WebSocket ws;
    ws.connect(server->url("/api/party/new", false, "localhost"));
    EXPECT_EQ(waitWhileConnecting(ws), WsState::failed);
    EXPECT_EQ(ws.lastError(), "Can't reach the server.");
}
