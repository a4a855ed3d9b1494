#include "server/PostgresDatabase.h"

#include <libpq-fe.h>

#include <cstdio>
#include <cstdlib>
#include <poll.h>
#include <vector>

namespace {

std::string trimmed(const char* message) {
    std::string text = message ? message : "";
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

// A statement is run when it is first stepped, with the values bound by then;
// its rows are then read from the whole result.
class PostgresQuery : public Database::Query {
  public:
    PostgresQuery(PostgresDatabase& owner, std::string statement)
        : database(owner), sql(std::move(statement)) {}
    ~PostgresQuery() override { PQclear(result); }

    void bind(int index, int64_t value) override { bind(index, std::to_string(value)); }
    void bind(int index, std::string_view text) override {
        if (index < 1) {
            database.fail("bind: no parameter " + std::to_string(index));
            return;
        }
        // Parameters travel as C strings; a zero byte would cut the text short.
        if (text.find('\0') != std::string_view::npos) {
            database.fail("bind: text holds a zero byte");
            return;
        }
        if (values.size() < static_cast<size_t>(index))
            values.resize(index);
        values[index - 1] = std::string(text);
    }
    bool step() override {
        if (!result) {
            std::vector<const char*> pointers;
            for (const std::string& value : values)
                pointers.push_back(value.c_str());
            const std::string* name = database.prepared(sql);
            if (!name)
                return false;
            result =
                PQexecPrepared(database.handle(), name->c_str(), static_cast<int>(pointers.size()),
                               pointers.data(), nullptr, nullptr, 0);
            const ExecStatusType status = PQresultStatus(result);
            if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
                database.fail(trimmed(PQresultErrorMessage(result)));
                return false;
            }
            row = -1;
        }
        return ++row < PQntuples(result);
    }
    void reset() override {
        PQclear(result);
        result = nullptr;
        values.clear();
    }
    int64_t integer(int column) const override {
        return available(column) ? std::strtoll(PQgetvalue(result, row, column), nullptr, 10) : 0;
    }
    std::string text(int column) const override {
        if (!available(column))
            return std::string();
        return std::string(PQgetvalue(result, row, column), PQgetlength(result, row, column));
    }
    bool isNull(int column) const override {
        return !available(column) || PQgetisnull(result, row, column);
    }

  private:
    bool available(int column) const {
        return result && row >= 0 && row < PQntuples(result) && column >= 0 &&
               column < PQnfields(result);
    }

    PostgresDatabase& database;
    std::string sql;
    std::vector<std::string> values;
    PGresult* result = nullptr;
    int row = -1;
};

// The store's "?" placeholders as PostgreSQL's "$n", quoted text left alone.
std::string numberPlaceholders(std::string_view sql) {
    std::string out;
    out.reserve(sql.size() + 16);
    int next = 1;
    char quote = 0;
    for (char c : sql) {
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '\'' || c == '"') {
            quote = c;
        } else if (c == '?') {
            out += '$' + std::to_string(next++);
            continue;
        }
        out += c;
    }
    return out;
}

} // namespace

PostgresDatabase::~PostgresDatabase() {
    PQfinish(conn);
}

std::unique_ptr<Database> PostgresDatabase::open(const std::string& uri, std::string& error) {
    // Defaults first: what the URI itself says wins. A server that does not
    // answer must not hold a request for long.
    const char* keywords[] = {"connect_timeout", "application_name", "dbname", nullptr};
    const char* values[] = {"5", "lotse-service", uri.c_str(), nullptr};
    PGconn* connection = PQconnectdbParams(keywords, values, 1);
    if (!connection) {
        error = "out of memory";
        return nullptr;
    }
    if (PQstatus(connection) != CONNECTION_OK) {
        error = trimmed(PQerrorMessage(connection));
        PQfinish(connection);
        return nullptr;
    }
    std::unique_ptr<PostgresDatabase> database(new PostgresDatabase(connection));
    // What the server says outside a reply (that it shuts down) goes to the log.
    PQsetNoticeProcessor(
        connection,
        [](void*, const char* message) {
            std::fprintf(stderr, "lotse-service: PostgreSQL: %s", message);
        },
        nullptr);
    // Texts are UTF-8 throughout; the notices of the schema steps are not for the log.
    if (PQsetClientEncoding(connection, "UTF8") != 0 ||
        !database->exec("SET client_min_messages = warning")) {
        error = database->failed() ? database->error() : trimmed(PQerrorMessage(connection));
        return nullptr;
    }
    // A counter row of its own for this connection's writes (Schema.cpp): the
    // first slot whose advisory lock is free, held as long as the session is.
    database->exec("SELECT set_config('lotse.counter_slot', (SELECT s::text FROM "
                   "generate_series(0, 63) s WHERE pg_try_advisory_lock(7310501, s) LIMIT 1), "
                   "false)");
    if (database->failed()) {
        error = database->error();
        return nullptr;
    }
    return database;
}

bool PostgresDatabase::exec(std::string_view sql) {
    if (failed())
        return false;
    PGresult* result = PQexec(conn, std::string(sql).c_str());
    const ExecStatusType status = PQresultStatus(result);
    const bool ok = status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
    if (!ok)
        fail(result ? trimmed(PQresultErrorMessage(result)) : trimmed(PQerrorMessage(conn)));
    PQclear(result);
    return ok;
}

bool PostgresDatabase::usable() {
    // A server that went away has sent its last message and closed the socket;
    // reading what is waiting there notices that without a round trip.
    pollfd waiting{PQsocket(conn), POLLIN, 0};
    for (int i = 0; i < 4 && PQstatus(conn) == CONNECTION_OK && poll(&waiting, 1, 0) > 0; ++i)
        PQconsumeInput(conn);
    return PQstatus(conn) == CONNECTION_OK && PQtransactionStatus(conn) == PQTRANS_IDLE;
}

bool PostgresDatabase::inTransaction() const {
    const PGTransactionStatusType status = PQtransactionStatus(conn);
    return status == PQTRANS_INTRANS || status == PQTRANS_INERROR;
}

void PostgresDatabase::continueIdsAfterHighest(const char* table) {
    Statement restart(*this, "SELECT setval(pg_get_serial_sequence(?, 'id'), max(id)) FROM " +
                                 std::string(table) + " HAVING max(id) IS NOT NULL");
    restart.bind(1, std::string_view(table)).run();
}

const std::string* PostgresDatabase::prepared(const std::string& sql) {
    auto known = statements.find(sql);
    if (known != statements.end())
        return &known->second;
    std::string name = "lotse_" + std::to_string(statements.size() + 1);
    PGresult* result = PQprepare(conn, name.c_str(), sql.c_str(), 0, nullptr);
    const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
    if (!ok)
        fail(trimmed(result ? PQresultErrorMessage(result) : PQerrorMessage(conn)));
    PQclear(result);
    return ok ? &statements.emplace(sql, std::move(name)).first->second : nullptr;
}

std::unique_ptr<Database::Query> PostgresDatabase::prepare(std::string_view sql) {
    return std::make_unique<PostgresQuery>(*this, numberPlaceholders(sql));
}

bool PostgresDatabase::begin(bool write) {
    // Writers work on the newest committed rows and wait for rows another
    // writer holds; a reader gets one snapshot for all its statements.
    return exec(write ? "BEGIN" : "BEGIN ISOLATION LEVEL REPEATABLE READ, READ ONLY");
}

bool PostgresDatabase::finish(bool commit) {
    if (!commit)
        return exec("ROLLBACK");
    if (failed())
        return false;
    // A transaction that failed inside the server answers COMMIT with ROLLBACK.
    PGresult* result = PQexec(conn, "COMMIT");
    const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK &&
                    std::string_view(PQcmdStatus(result)) == "COMMIT";
    if (!ok)
        fail(result && *PQresultErrorMessage(result) ? trimmed(PQresultErrorMessage(result))
                                                     : "the transaction was rolled back");
    PQclear(result);
    return ok;
}
