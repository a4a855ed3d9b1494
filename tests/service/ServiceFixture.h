#pragma once

// Starts a private lotse-service for a test: a fresh database in a temporary
// folder (with demo data or empty), HTTPS on a free loopback port with the
// development certificate, and ServiceClient pointed at it. Stopped and removed
// again in teardown.
//
// Needs LOTSE_SERVICE_EXE (path of lotse-service) defined at compile time; the
// certificate folder is $LOTSE_TLS_DIR or /usr/local/share/lotse-dev-ca.

#include "LotseConfig.h"
#include "service/ServiceClient.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

#ifndef LOTSE_SERVICE_EXE
#error "LOTSE_SERVICE_EXE must name the lotse-service executable"
#endif

class ServiceProcess {
  public:
    ServiceProcess() = default;
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;
    ~ServiceProcess() { stop(); }

    // Makes the database (seeded with demo data when asked), starts the service
    // and waits until it answers. False with a reason in error() otherwise.
    bool start(bool seedDemo, const std::string& accessCode = std::string()) {
        stop();
        char pattern[] = "/tmp/lotse-service-test-XXXXXX";
        if (!mkdtemp(pattern))
            return fail("cannot make a temporary folder");
        folder = pattern;
        database = folder + "/service.db";
        if (seedDemo && run({LOTSE_SERVICE_EXE, "--db", database, "--seed-demo"}) != 0)
            return fail("seeding the demo data failed");
        const char* tlsEnv = std::getenv("LOTSE_TLS_DIR");
        const std::string tls = tlsEnv && *tlsEnv ? tlsEnv : "/usr/local/share/lotse-dev-ca";
        std::vector<std::string> args = {LOTSE_SERVICE_EXE,
                                         "--db",
                                         database,
                                         "--port",
                                         "0",
                                         "--cert",
                                         tls + "/localhost.crt",
                                         "--key",
                                         tls + "/localhost.key"};
        if (!accessCode.empty()) {
            args.push_back("--access-code");
            args.push_back(accessCode);
        }
        if (!spawnServing(args))
            return false;
        ServiceClient::setServer(u"localhost", servicePort);
        for (int attempt = 0; attempt < 100; ++attempt) {
            const String version =
                ServiceClient::send(u"localhost", u"curversion.php", String(), String(), u"GET");
            if (!version.empty())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return fail("the service does not answer");
    }

    // Sends `signal` (SIGTERM unless given), then waits for a clean exit
    // (SIGKILL after 10 s). Returns the exit status (-1 when it had to be killed
    // or was not running).
    int stop(int signal = SIGTERM) {
        int status = -1;
        if (pid > 0) {
            kill(pid, signal);
            status = waitFor(pid, std::chrono::seconds(10));
            pid = -1;
        }
        if (output >= 0) {
            close(output);
            output = -1;
        }
        if (!folder.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(folder, ignored);
            folder.clear();
        }
        servicePort = 0;
        return status;
    }

    bool running() const { return pid > 0 && waitpid(pid, nullptr, WNOHANG) == 0; }
    int port() const { return servicePort; }
    const std::string& databasePath() const { return database; }
    const std::string& error() const { return reason; }

    // Runs a program to its end (its output discarded); its exit status, or -1.
    static int run(const std::vector<std::string>& args) {
        const int quiet = open("/dev/null", O_WRONLY);
        pid_t child = spawn(args, quiet);
        if (quiet >= 0)
            close(quiet);
        return child > 0 ? waitFor(child, std::chrono::seconds(60)) : -1;
    }

  private:
    static pid_t spawn(const std::vector<std::string>& args, int stdoutFd) {
        std::vector<char*> argv;
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (stdoutFd >= 0)
            posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
        pid_t child = -1;
        const int rc = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        return rc == 0 ? child : -1;
    }

    static int waitFor(pid_t child, std::chrono::seconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (std::chrono::steady_clock::now() < end) {
            const pid_t done = waitpid(child, &status, WNOHANG);
            if (done == child)
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            if (done < 0 && errno != EINTR)
                return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        return -1;
    }

    // Starts the service with its stdout on a pipe and reads "listening on PORT".
    bool spawnServing(const std::vector<std::string>& args) {
        int fds[2];
        if (pipe(fds) != 0)
            return fail("cannot make a pipe");
        pid = spawn(args, fds[1]);
        close(fds[1]);
        output = fds[0];
        if (pid <= 0)
            return fail("cannot start " + args[0]);
        std::string line;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < end) {
            pollfd ready{output, POLLIN, 0};
            if (poll(&ready, 1, 100) <= 0)
                continue;
            char buffer[256];
            const ssize_t n = read(output, buffer, sizeof buffer);
            if (n <= 0)
                return fail("the service ended before listening");
            line.append(buffer, static_cast<size_t>(n));
        }
        const std::string prefix = "listening on ";
        if (line.compare(0, prefix.size(), prefix) != 0)
            return fail("unexpected first line: " + line);
        servicePort = std::atoi(line.c_str() + prefix.size());
        return servicePort > 0 ? true : fail("no port in: " + line);
    }

    bool fail(const std::string& why) {
        reason = why;
        return false;
    }

    pid_t pid = -1;
    int output = -1;
    int servicePort = 0;
    std::string folder;
    std::string database;
    std::string reason;
};

// A test with its own service. Derive and override seedDemo() for an empty one.
class ServiceFixture : public ::testing::Test {
  protected:
    virtual bool seedDemo() const { return true; }

    void SetUp() override { ASSERT_TRUE(service.start(seedDemo())) << service.error(); }

    void TearDown() override {
        EXPECT_EQ(service.stop(), 0) << "the service did not end cleanly";
        ServiceClient::setServer(LOTSE_SERVICE_HOST, LOTSE_SERVICE_PORT);
    }

    // A POST to the test service.
    static String post(const char16_t* endpoint, const String& body) {
        return ServiceClient::post(endpoint, body);
    }

    ServiceProcess service;
};
