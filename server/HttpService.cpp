#include "server/HttpService.h"

#include "server/Metrics.h"
#include "server/RateLimiter.h"
#include "server/ServiceHandlers.h"
#include "server/ServiceLog.h"

#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <sys/socket.h>

namespace {

const char* contentType(const ServiceReply& reply) {
    return reply.json ? "application/json; charset=utf-8" : "text/html; charset=utf-8";
}

// Replies are one user's data of the moment: no cache keeps them (WinINet would
// keep every reply in the user's profile, where uninstalling Lotse leaves them).
// A kept list goes out gzip-compressed to a client that accepts it, compressed
// once for every request that asks (the library would compress only a body
// handed to it whole, for each request anew).
void send(httplib::Response& res, const ServiceReply& reply,
          const std::string& acceptEncoding = std::string()) {
    res.status = reply.status;
    res.set_header("Cache-Control", "no-store");
    if (!reply.shared) {
        res.set_content(reply.body, contentType(reply));
        return;
    }
    std::shared_ptr<const KeptReply> kept = reply.shared;
    const std::string* bytes = &kept->bytes();
    if (acceptsGzip(acceptEncoding) && !kept->gzipped().empty()) {
        bytes = &kept->gzipped();
        res.set_header("Content-Encoding", "gzip");
    }
    res.set_header("Vary", "Accept-Encoding");
    res.set_content_provider(bytes->size(), contentType(reply),
                             [kept, bytes](size_t offset, size_t length, httplib::DataSink& sink) {
                                 return sink.write(bytes->data() + offset, length);
                             });
}

std::string endpointName(const std::string& path) {
    return path.size() > 0 && path[0] == '/' ? path.substr(1) : path;
}

// When the request on this thread began: set before routing, read by the
// logger once the reply is written (the library handles each connection on
// one thread from start to end).
thread_local std::chrono::steady_clock::time_point requestStart;
thread_local bool requestStarted = false;

// The library's connection threads, counting the connections they hold.
class CountingQueue : public httplib::TaskQueue {
  public:
    CountingQueue(Metrics* counts, size_t threads) : metrics(counts), pool(threads) {}
    void enqueue(std::function<void()> fn) override {
        if (!metrics) {
            pool.enqueue(std::move(fn));
            return;
        }
        metrics->connectionOpened();
        Metrics* counts = metrics;
        pool.enqueue([counts, fn = std::move(fn)]() {
            fn();
            counts->connectionClosed();
        });
    }
    void shutdown() override { pool.shutdown(); }

  private:
    Metrics* metrics;
    httplib::ThreadPool pool;
};

} // namespace

struct HttpService::Impl {
    Impl(const ServiceHandlers& h, const std::string& cert, const std::string& key)
        : handlers(h), server(cert.c_str(), key.c_str()) {}

    const ServiceHandlers& handlers;
    httplib::SSLServer server;
    int listeningSocket = -1;
    Metrics* metrics = nullptr;
    RateLimiter* limiter = nullptr;
    bool requestLog = true;
    size_t threads = CPPHTTPLIB_THREAD_POOL_COUNT; // until serveAtOnce()
};

HttpService::HttpService(const ServiceHandlers& handlers, const std::string& certFile,
                         const std::string& keyFile)
    : impl(std::make_unique<Impl>(handlers, certFile, keyFile)) {
    httplib::SSLServer& server = impl->server;
    const ServiceHandlers& endpoints = handlers;
    Impl* state = impl.get();

    // Bodies are read by the handler itself: the library's own form handling
    // would refuse form bodies above 8 KiB, and captures are longer.
    server.set_payload_max_length(ServiceHandlers::maxBodyBytes);
    server.set_read_timeout(15, 0);
    // A client that keeps its connection (libcurl, a browser, a load test) saves
    // the TLS handshake on each further request.
    server.set_keep_alive_max_count(100);
    // A kept connection holds a request thread while it idles: a short idle time
    // lets the threads go on to the next clients (a Lotse sends its few requests
    // at start within a second).
    server.set_keep_alive_timeout(2);
    // Made when the server starts, after observe() and serveAtOnce().
    server.new_task_queue = [state] { return new CountingQueue(state->metrics, state->threads); };
    // Headers and body go out in separate writes; with Nagle's algorithm the body
    // would wait for the client's delayed acknowledgement (about 40 ms).
    server.set_tcp_nodelay(true);
    server.set_write_timeout(15, 0);
    // The library listens with a backlog of 5: connections that arrive together
    // beyond that wait for the client's SYN retry (1 s, then 3 s). bind() below
    // listens on this socket again with the system's largest backlog.
    int& listening = impl->listeningSocket;
    server.set_socket_options([&listening](socket_t sock) {
        httplib::default_socket_options(sock);
        listening = sock;
    });

    server.Get(R"(/?[A-Za-z0-9_]+\.php)",
               [&endpoints](const httplib::Request& req, httplib::Response& res) {
                   send(res, endpoints.handle(endpointName(req.path), "GET", std::string_view()),
                        req.get_header_value("Accept-Encoding"));
               });
    server.Post(R"(/?[A-Za-z0-9_]+\.php)",
                [&endpoints, state](const httplib::Request& req, httplib::Response& res,
                                    const httplib::ContentReader& reader) {
                    const std::string name = endpointName(req.path);
                    if (!ServiceHandlers::isEndpoint(name)) {
                        send(res, ServiceReply::text(ServiceErrors::unknownEndpoint, 404));
                        return;
                    }
                    // Multipart bodies are not ours, and reading them needs callbacks we do
                    // not give.
                    if (req.is_multipart_form_data()) {
                        send(res, ServiceReply::text(ServiceErrors::malformed, 400));
                        return;
                    }
                    std::string body;
                    bool tooLarge = false;
                    const bool complete = reader([&](const char* data, size_t length) {
                        if (body.size() + length > ServiceHandlers::maxBodyBytes) {
                            tooLarge = true;
                            return false;
                        }
                        body.append(data, length);
                        return true;
                    });
                    if (!complete || tooLarge) {
                        if (tooLarge || res.status == 413)
                            send(res, ServiceReply::text(ServiceErrors::tooLarge, 413));
                        else
                            send(res, ServiceReply::text(ServiceErrors::malformed, 400));
                        return;
                    }
                    // Over the limit nothing is stored; the body was read all the
                    // same, so that the connection stays usable.
                    if (state->limiter && !state->limiter->allow(name, req.remote_addr)) {
                        res.set_header("Retry-After", "60");
                        send(res, ServiceReply::text(ServiceErrors::tooManyRequests, 429));
                        return;
                    }
                    const ServiceReply reply =
                        endpoints.handle(name, "POST", body, req.remote_addr);
                    if (reply.databaseFailed && state->metrics)
                        state->metrics->databaseError();
                    send(res, reply, req.get_header_value("Accept-Encoding"));
                });
    // Everything else: a short text instead of the library's empty error page.
    server.set_error_handler([](const httplib::Request&, httplib::Response& res) {
        if (!res.body.empty())
            return;
        const char* text = res.status == 404   ? ServiceErrors::unknownEndpoint
                           : res.status == 405 ? ServiceErrors::wrongMethod
                           : res.status == 413 ? ServiceErrors::tooLarge
                           : res.status >= 500 ? ServiceErrors::internal
                                               : ServiceErrors::malformed;
        res.set_header("Cache-Control", "no-store");
        res.set_content(text, "text/html; charset=utf-8");
    });
    server.set_pre_routing_handler([](const httplib::Request&, httplib::Response&) {
        requestStart = std::chrono::steady_clock::now();
        requestStarted = true;
        return httplib::Server::HandlerResponse::Unhandled;
    });
    // One line per request; the path only (never a query or a body, which may
    // carry the access code), and refused requests with their error text.
    server.set_logger([state](const httplib::Request& req, const httplib::Response& res) {
        const double seconds =
            requestStarted
                ? std::chrono::duration<double>(std::chrono::steady_clock::now() - requestStart)
                      .count()
                : 0.0;
        requestStarted = false;
        const std::string name = endpointName(req.path);
        if (state->metrics)
            state->metrics->request(name, res.status, seconds);
        if (!state->requestLog)
            return;
        ServiceLog::writef("%s %s %.16s /%.200s %d %.1fms %zu bytes%s%.200s",
                           ServiceLog::timestamp().c_str(), req.remote_addr.c_str(),
                           req.method.c_str(), name.c_str(), res.status, seconds * 1000.0,
                           res.body.empty() ? res.content_length_ : res.body.size(),
                           res.status >= 400 ? " " : "", res.status >= 400 ? res.body.c_str() : "");
    });
    server.set_exception_handler(
        [](const httplib::Request& req, httplib::Response& res, std::exception_ptr) {
            ServiceLog::writef("request %.200s failed", req.path.c_str());
            send(res, ServiceReply::text(ServiceErrors::internal, 500));
        });
}

HttpService::~HttpService() = default;

void HttpService::observe(Metrics* metrics, RateLimiter* limiter, bool requestLog) {
    impl->metrics = metrics;
    impl->limiter = limiter;
    impl->requestLog = requestLog;
}

void HttpService::serveAtOnce(int connections) {
    impl->threads = static_cast<size_t>(connections < 1 ? 1 : connections);
}

bool HttpService::valid() const {
    return impl->server.is_valid();
}

int HttpService::bind(const std::string& address, int port) {
    const int bound = port == 0 ? impl->server.bind_to_any_port(address)
                      : impl->server.bind_to_port(address, port) ? port
                                                                 : -1;
    if (bound >= 0 && impl->listeningSocket >= 0 && ::listen(impl->listeningSocket, SOMAXCONN) != 0)
        std::perror("lotse-service: listen backlog");
    return bound;
}

bool HttpService::run() {
    return impl->server.listen_after_bind();
}

void HttpService::stop() {
    impl->server.stop();
}
