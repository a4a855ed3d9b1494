// The native HTTPS exchange against a server that misbehaves in ways the
// service does not: replies that break off, error statuses.

#include "service/HttpsTransport.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

std::string tlsFolder() {
    const char* folder = std::getenv("LOTSE_TLS_DIR");
    return folder && *folder ? folder : "/usr/local/share/lotse-dev-ca";
}

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
};

} // namespace

TEST_F(BrokenServer, BrokenRepliesKeepWhatArrivedAndNoServerGivesNothing) {
    EXPECT_EQ(httpsExchange(u"localhost", port, u"cut.php", u"POST", "code=x"), "Teil der Antwort");
    // An error status still gives the body.
    EXPECT_EQ(httpsExchange(u"localhost", port, u"error.php", u"POST", "code=x"), "Fehlerseite");
    server->stop();
    thread.join();
    EXPECT_EQ(httpsExchange(u"localhost", port, u"error.php", u"POST", "code=x"), "");
}
