// The native HTTPS exchange against a server that misbehaves in ways the
// service does not: replies that break off, error statuses; and a reply asked
// for compressed.

#include "ServiceFixture.h"
#include "app/VersionGate.h"
#include "service/HttpsTransport.h"
#include "tests/StringPrinter.h"

#include <httplib.h>

namespace {

class BrokenServer : public testing::Test {
  protected:
    void SetUp() override {
        server = std::make_unique<httplib::SSLServer>((tlsFolder() + "/localhost.crt").c_str(),
                                                      (tlsFolder() + "/localhost.key").c_str());
        ASSERT_TRUE(server->is_valid()) << "no development certificate";
        // Announces 1000 bytes, sends a few and drops the connection.
        server->Post("/cut.php", [](const httplib::Request&, httplib::Response& response) {
            response.set_content_provider(1000, "text/plain",
                                          [](size_t offset, size_t, httplib::DataSink& sink) {
                                              if (offset > 0)
                                                  return false;
                                              sink.write("Teil der Antwort", 16);
                                              return true;
                                          });
        });
        server->Post("/error.php", [](const httplib::Request&, httplib::Response& response) {
            response.status = 500;
            response.set_content("Fehlerseite", "text/html");
        });
        // Says whether the request asked for gzip; the library compresses the
        // reply when it did.
        server->Post(
            "/encoding.php", [](const httplib::Request& request, httplib::Response& response) {
                const bool asked =
                    request.get_header_value("Accept-Encoding").find("gzip") != std::string::npos;
                response.set_content(asked ? "komprimiert" : "unkomprimiert", "text/plain");
            });
        // What a proxy in front of the service says while the service is down,
        // until the test names another reply.
        server->Get("/curversion.php",
                    [this](const httplib::Request&, httplib::Response& response) {
                        response.status = versionStatus;
                        response.set_content(versionBody, "text/html");
                    });
        port = server->bind_to_any_port("127.0.0.1");
        ASSERT_GT(port, 0);
        // Bound means listening: connections wait until the thread serves them.
        thread = std::thread([this] { server->listen_after_bind(); });
        // Stopping before the loop runs would not end it.
        while (!server->is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    void TearDown() override {
        if (server)
            server->stop();
        if (thread.joinable())
            thread.join();
    }

    std::unique_ptr<httplib::SSLServer> server;
    std::thread thread;
    int port = 0;
    int versionStatus = 502;
    std::string versionBody = "<html><body><h1>502 Bad Gateway</h1></body></html>";
};

} // namespace

TEST_F(BrokenServer, BrokenRepliesKeepWhatArrivedAndNoServerGivesNothing) {
    EXPECT_EQ(httpsExchange(u"localhost", port, u"cut.php", u"POST", "code=x").bytes,
              "Teil der Antwort");
    // An error status still gives the body, and the status with it.
    const HttpsReply error = httpsExchange(u"localhost", port, u"error.php", u"POST", "code=x");
    EXPECT_EQ(error.bytes, "Fehlerseite");
    EXPECT_EQ(error.status, 500);
    server->stop();
    thread.join();
    const HttpsReply none = httpsExchange(u"localhost", port, u"error.php", u"POST", "code=x");
    EXPECT_EQ(none.bytes, "");
    EXPECT_EQ(none.status, 0);
}

TEST_F(BrokenServer, OnlyAnOkReplyNamesTheCurrentVersion) {
    const String savedHost = ServiceClient::host();
    const int savedPort = ServiceClient::port();
    ServiceClient::setServer(u"localhost", port);
    // A proxy's error pages count as no answer, so the gate offers a retry
    // instead of reporting the page as a new version.
    for (int status : {502, 503, 504, 404}) {
        versionStatus = status;
        EXPECT_EQ(fetchCurrentVersion(), String()) << status;
    }
    versionStatus = 200;
    versionBody = "Wartung";
    EXPECT_EQ(fetchCurrentVersion(), String(u"Wartung"));
    ServiceClient::setServer(savedHost, savedPort);
}

TEST_F(BrokenServer, AReplyAskedCompressedArrivesDecoded) {
    std::string pieces;
    httpsExchange(
        u"localhost", port, u"encoding.php", u"POST", "code=x",
        [&](std::string_view piece) { pieces += piece; }, true);
    EXPECT_EQ(pieces, "komprimiert");
    EXPECT_EQ(httpsExchange(u"localhost", port, u"encoding.php", u"POST", "code=x").bytes,
              "unkomprimiert");
}
