#include "server/ServiceHandlers.h"

#include "base/Protocol.h"
#include "server/ConnectionPool.h"
#include "server/CounterReader.h"
#include "server/Database.h"
#include "server/GroupCommit.h"
#include "server/ListCache.h"
#include "server/FormBody.h"
#include "server/ServiceLog.h"
#include "server/Store.h"
#include "server/TicketBatch.h"
#include "server/TicketListText.h"
#include "base/Json.h"
#include "base/Utf8.h"

#include <cstdio>
#include <malloc.h>
#include <map>
#include <vector>

using namespace Protocol;

namespace {

using Fields = std::map<std::string, std::string>;

// A form field's name as the parsed body holds it.
std::string formName(const char16_t* name) {
    return Utf8::encode(String(name));
}

// Compares without stopping at the first difference, so the reply time tells
// nothing about how much of a guessed code was right.
bool sameCode(std::string_view given, std::string_view expected) {
    if (expected.empty())
        return false;
    unsigned char difference = given.size() == expected.size() ? 0 : 1;
    for (size_t i = 0; i < given.size(); ++i)
        difference |= static_cast<unsigned char>(given[i] ^ expected[i % expected.size()]);
    return difference == 0;
}

// Decimal as the program writes it with "%i": an optional sign and digits,
// within the signed 32-bit range.
bool parseNumber(const String& text, int64_t& value) {
    const char16_t* p = text.data();
    int i = 0;
    bool negative = false;
    if (p[i] == u'-' || p[i] == u'+')
        negative = p[i++] == u'-';
    if (p[i] == 0)
        return false;
    int64_t v = 0;
    for (; p[i]; ++i) {
        if (p[i] < u'0' || p[i] > u'9' || i > 11)
            return false;
        v = v * 10 + (p[i] - u'0');
    }
    v = negative ? -v : v;
    if (v < INT32_MIN || v > INT32_MAX)
        return false;
    value = v;
    return true;
}

bool parseNumber(std::string_view text, int64_t& value) {
    if (text.empty() || text.size() > 12)
        return false;
    return parseNumber(String::fromLatin1(text.data(), static_cast<int>(text.size())), value);
}

String fromUtf8(const std::string& bytes) {
    return Utf8::decode(bytes);
}

String number(int64_t value) {
    return String::format(u"%i", static_cast<long long>(value));
}

// Replies are built as the program builds its documents: every value quoted
// text, escaped when the document is written.
void put(const ElementPtr& map, const char16_t* key, const String& value) {
    Json::ElementMap::setString(map, String(key), value);
}
void put(const ElementPtr& map, const char16_t* key, const std::string& utf8Value) {
    put(map, key, fromUtf8(utf8Value));
}
void put(const ElementPtr& map, const char16_t* key, int64_t value) {
    put(map, key, number(value));
}

ServiceReply documentReply(const ElementPtr& root) {
    return ServiceReply::document(Utf8::encode(Json::writeText(root)));
}

ServiceReply error(const char* text, int status) {
    return ServiceReply::text(text, status);
}

// The database did not answer: the storage error, counted by the metrics.
ServiceReply databaseError() {
    ServiceReply reply = error(ServiceErrors::storage, 503);
    reply.databaseFailed = true;
    return reply;
}

ServiceReply memberError(const char* prefix, const char16_t* key, int status = 400) {
    return ServiceReply::text(std::string(prefix) + Utf8::encode(String(key)), status);
}

ServiceReply storeError(StoreResult result) {
    switch (result) {
    case StoreResult::UnknownTicket:
        return error(ServiceErrors::unknownTicket, 404);
    case StoreResult::UnknownLocale:
        return error(ServiceErrors::unknownLocale, 400);
    case StoreResult::UnknownSoftware:
        return error(ServiceErrors::unknownSoftware, 400);
    case StoreResult::TicketNotOpen:
        return error(ServiceErrors::ticketNotOpen, 409);
    case StoreResult::Ok:
    case StoreResult::Failed:
        break;
    }
    return error(ServiceErrors::storage, 503);
}

// A member of a request document, read as the plain text the parser decoded.
class Document {
  public:
    explicit Document(ElementPtr document) : root(std::move(document)) {}

    static bool hasText(const ElementPtr& map, const char16_t* key) {
        ElementPtr value = Json::member(map, String(key));
        return value && value->type() == Json::Text;
    }
    static String plain(const ElementPtr& map, const char16_t* key) {
        return Json::memberText(map, String(key));
    }
    static std::string utf8(const ElementPtr& map, const char16_t* key) {
        return Utf8::encode(plain(map, key));
    }
    static bool number(const ElementPtr& map, const char16_t* key, int64_t& value) {
        return parseNumber(plain(map, key), value);
    }

    ElementPtr root;
};

// "code=%s" and "code=%s&cid=%i".
bool readCodeForm(std::string_view body, const std::string& code, Fields& fields,
                  ServiceReply& failure) {
    if (!parseFormBody(body, fields)) {
        failure = error(ServiceErrors::malformed, 400);
        return false;
    }
    auto given = fields.find(formName(Member::code));
    if (given == fields.end() || !sameCode(given->second, code)) {
        failure = error(ServiceErrors::badCode, 403);
        return false;
    }
    return true;
}

constexpr size_t maxRequestDepth = 4;

// "content=%s" with a percent-encoded JSON document holding "code" and at least
// the required members, each as text.
bool readDocument(std::string_view body, const std::string& code,
                  const std::vector<const char16_t*>& required, ElementPtr& root,
                  ServiceReply& failure) {
    Fields fields;
    if (!parseFormBody(body, fields)) {
        failure = error(ServiceErrors::malformed, 400);
        return false;
    }
    auto content = fields.find(formName(Member::content));
    // A zero byte would cut every later reply that carries this text short.
    if (content == fields.end() || !Utf8::isValid(content->second) ||
        content->second.find('\0') != std::string::npos) {
        failure = error(ServiceErrors::malformed, 400);
        return false;
    }
    if (content->second.find('{') == std::string::npos) {
        failure = error(ServiceErrors::malformed, 400);
        return false;
    }
    // The deepest request, a capture, nests root, action, trace and descriptor.
    // Anything deeper is refused before it is built: a body of nothing but "{"
    // would otherwise cost hundreds of bytes of memory per byte sent.
    root = Json::parseUtf8(content->second, maxRequestDepth);
    if (!root) {
        failure = error(ServiceErrors::malformed, 400);
        return false;
    }
    if (!Document::hasText(root, Member::code) ||
        !sameCode(Document::utf8(root, Member::code), code)) {
        failure = error(ServiceErrors::badCode, 403);
        return false;
    }
    for (const char16_t* key : required) {
        if (!Document::hasText(root, key)) {
            failure = memberError(ServiceErrors::missingMember, key);
            return false;
        }
    }
    return true;
}

// Replies with lists: objects keyed by decimal ids.

ServiceReply localeList(Store& store, const Fields&, const ElementPtr&) {
    std::vector<LocaleRow> rows;
    if (!store.locales(rows))
        return error(ServiceErrors::storage, 503);
    ElementPtr root = Json::makeRoot();
    for (const LocaleRow& row : rows) {
        ElementPtr entry = Json::ElementMap::addMap(root, number(row.id));
        put(entry, Member::microsoft_lcid, row.microsoftLcid);
        put(entry, Member::description, row.description);
    }
    return documentReply(root);
}

ServiceReply osList(Store& store, const Fields&, const ElementPtr&) {
    std::vector<OsRow> rows;
    if (!store.operatingSystems(rows))
        return error(ServiceErrors::storage, 503);
    ElementPtr root = Json::makeRoot();
    for (const OsRow& row : rows) {
        ElementPtr entry = Json::ElementMap::addMap(root, number(row.id));
        put(entry, Member::id_platform, row.idPlatform);
        put(entry, Member::major, row.major);
        put(entry, Member::minor, row.minor);
        put(entry, Member::build_no, row.buildNo);
        put(entry, Member::desc, row.description);
    }
    return documentReply(root);
}

ServiceReply softwareList(Store& store, const Fields&, const ElementPtr&) {
    std::vector<SoftwareRow> rows;
    if (!store.software(rows))
        return error(ServiceErrors::storage, 503);
    ElementPtr root = Json::makeRoot();
    for (const SoftwareRow& row : rows) {
        ElementPtr entry = Json::ElementMap::addMap(root, number(row.id));
        put(entry, Member::id_locale, row.idLocale);
        put(entry, Member::file_desc, row.fileDesc);
        put(entry, Member::product_name, row.productName);
        put(entry, Member::file_version, row.fileVersion);
        put(entry, Member::file_version_full, row.fileVersionFull);
        put(entry, Member::supported, int64_t(row.supported ? 1 : 0));
        put(entry, Member::module_name, row.moduleName);
    }
    return documentReply(root);
}

ServiceReply ticketList(Store& store, const Fields&, const ElementPtr&) {
    std::vector<TicketRow> rows;
    if (!store.tickets(rows))
        return error(ServiceErrors::storage, 503);
    return ServiceReply::document(ticketListText(rows));
}

ServiceReply countReply(int64_t total, int64_t unsolved) {
    ElementPtr root = Json::makeRoot();
    put(root, Member::total, total);
    put(root, Member::unsolved, unsolved);
    return documentReply(root);
}

ServiceReply ticketCount(Store& store, const Fields&, const ElementPtr&) {
    int64_t total = 0, unsolved = 0;
    if (!store.ticketCounts(total, unsolved))
        return error(ServiceErrors::storage, 503);
    return countReply(total, unsolved);
}

ServiceReply captureReply(Store& store, const Fields& fields, const ElementPtr&) {
    auto cid = fields.find(formName(Member::cid));
    if (cid == fields.end())
        return memberError(ServiceErrors::missingMember, Member::cid);
    int64_t captureId = 0;
    if (!parseNumber(cid->second, captureId))
        return memberError(ServiceErrors::badMember, Member::cid);
    std::vector<CaptureActionRow> actions;
    bool found = false;
    if (!store.capture(captureId, actions, found))
        return error(ServiceErrors::storage, 503);
    if (!found)
        return error(ServiceErrors::unknownCapture, 404);
    ElementPtr root = Json::makeRoot();
    put(root, Member::trace_cnt, int64_t(actions.size()));
    for (size_t i = 0; i < actions.size(); ++i) {
        const CaptureActionRow& action = actions[i];
        ElementPtr entry = Json::ElementMap::addMap(root, number(int64_t(i)));
        put(entry, Member::id_action, action.idAction);
        put(entry, Member::elem_cnt, int64_t(action.elements.size()));
        put(entry, Member::entered_text, action.enteredText);
        for (size_t j = 0; j < action.elements.size(); ++j) {
            const CaptureElementRow& e = action.elements[j];
            ElementPtr element = Json::ElementMap::addMap(entry, number(int64_t(j)));
            put(element, Member::name, e.name);
            put(element, Member::class_name, e.className);
            put(element, Member::automation_id, e.automationId);
            put(element, Member::module_name, e.moduleName);
        }
    }
    return documentReply(root);
}

bool isBlank(const String& text) {
    for (int i = 0; i < text.length(); ++i) {
        const char16_t c = text[i];
        if (c != u' ' && c != u'\t' && c != u'\n' && c != u'\r')
            return false;
    }
    return true;
}

// The new ticket of a createticket document; false with the refusal in
// `failure` when a member is missing or wrong.
bool readNewTicket(const ElementPtr& doc, NewTicket& ticket, ServiceReply& failure) {
    const String question = Document::plain(doc, Member::question);
    if (isBlank(question)) {
        failure = error(ServiceErrors::emptyQuestion, 400);
        return false;
    }
    ticket.question = Utf8::encode(question);
    struct NumberField {
        const char16_t* key;
        int64_t* target;
    };
    const NumberField numbers[] = {
        {Member::id_locale, &ticket.idLocale},      {Member::sw_id, &ticket.swId},
        {Member::sw_id_locale, &ticket.swIdLocale}, {Member::os_id_platform, &ticket.os.idPlatform},
        {Member::os_major, &ticket.os.major},       {Member::os_minor, &ticket.os.minor},
        {Member::os_build_no, &ticket.os.buildNo},
    };
    for (const NumberField& field : numbers) {
        if (!Document::number(doc, field.key, *field.target)) {
            failure = memberError(ServiceErrors::badMember, field.key);
            return false;
        }
    }
    ticket.hwGuid = Document::utf8(doc, Member::hw_guid);
    ticket.username = Document::utf8(doc, Member::username);
    ticket.swFileDesc = Document::utf8(doc, Member::sw_file_desc);
    ticket.swProductName = Document::utf8(doc, Member::sw_product_name);
    ticket.swFileVersion = Document::utf8(doc, Member::sw_file_version);
    ticket.swFileVersionFull = Document::utf8(doc, Member::sw_file_version_full);
    ticket.swModuleName = Document::utf8(doc, Member::sw_module_name);
    ticket.os.description = Document::utf8(doc, Member::os_description);
    return true;
}

ServiceReply createTicket(Store& store, const Fields&, const ElementPtr& doc) {
    NewTicket ticket;
    ServiceReply refused;
    if (!readNewTicket(doc, ticket, refused))
        return refused;
    int64_t ticketId = 0;
    const StoreResult result = store.createTicket(ticket, ticketId);
    return result == StoreResult::Ok ? ServiceReply::text("OK") : storeError(result);
}

ServiceReply checkTicket(Store& store, const Fields&, const ElementPtr& doc) {
    std::vector<SolvedReport> reports;
    if (!store.takeSolvedReports(Document::utf8(doc, Member::hw_guid),
                                 Document::utf8(doc, Member::username), reports))
        return error(ServiceErrors::storage, 503);
    if (reports.empty())
        return ServiceReply::text("OK");
    ElementPtr root = Json::makeRoot();
    for (const SolvedReport& report : reports) {
        ElementPtr entry = Json::ElementMap::addMap(root, number(report.ticketId));
        put(entry, Member::id_capture, report.idCapture);
        put(entry, Member::question, report.question);
    }
    return documentReply(root);
}

ServiceReply feedback(Store& store, const Fields&, const ElementPtr& doc) {
    NewFeedback feedback;
    if (!Document::number(doc, Member::ticketid, feedback.ticketId))
        return memberError(ServiceErrors::badMember, Member::ticketid);
    if (!Document::number(doc, Member::sw_id, feedback.swId))
        return memberError(ServiceErrors::badMember, Member::sw_id);
    const String answer = Document::plain(doc, Member::feedback);
    if (!(answer == String(answerYes)) && !(answer == String(answerNo)))
        return memberError(ServiceErrors::badMember, Member::feedback);
    feedback.answer = Utf8::encode(answer);
    feedback.helped = answer == String(answerYes);
    feedback.swFileDesc = Document::utf8(doc, Member::sw_file_desc);
    feedback.swProductName = Document::utf8(doc, Member::sw_product_name);
    feedback.swFileVersion = Document::utf8(doc, Member::sw_file_version);
    feedback.swFileVersionFull = Document::utf8(doc, Member::sw_file_version_full);
    feedback.swModuleName = Document::utf8(doc, Member::sw_module_name);
    const StoreResult result = store.recordFeedback(feedback);
    return result == StoreResult::Ok ? ServiceReply::text("OK") : storeError(result);
}

// The upload: "tno", "cnt" and the actions "0".."cnt-1", each with "act", "cnt" and
// either "trace" (descriptors "0".."cnt-1" with "name", "cln", "aid", "mon") or
// "enter".
ServiceReply createCapture(Store& store, const Fields&, const ElementPtr& doc) {
    // More steps or levels than any recording has; the body limit bounds it anyway.
    const int64_t maxCount = 100000;
    int64_t ticketId = 0, count = 0;
    if (!Document::number(doc, Member::tno, ticketId))
        return memberError(ServiceErrors::badMember, Member::tno);
    if (!Document::number(doc, Member::cnt, count) || count < 0 || count > maxCount)
        return memberError(ServiceErrors::badMember, Member::cnt);
    // An empty recording would mark the ticket solved and tell its asker so,
    // with nothing to show.
    if (count == 0)
        return error(ServiceErrors::emptyCapture, 400);
    std::vector<CaptureActionRow> actions;
    actions.reserve(static_cast<size_t>(count));
    for (int64_t i = 0; i < count; ++i) {
        ElementPtr action = Json::member(doc, number(i));
        if (!Json::isObject(action))
            return ServiceReply::text(std::string(ServiceErrors::missingMember) + std::to_string(i),
                                      400);
        CaptureActionRow row;
        int64_t elements = 0;
        if (!Document::number(action, Member::act, row.idAction) ||
            !Action::isRecorded(row.idAction))
            return memberError(ServiceErrors::badMember, Member::act);
        if (!Document::number(action, Member::cnt, elements) || elements < 0 || elements > maxCount)
            return memberError(ServiceErrors::badMember, Member::cnt);
        if (elements == 0) {
            if (!Document::hasText(action, Member::enter))
                return memberError(ServiceErrors::missingMember, Member::enter);
            row.enteredText = Document::utf8(action, Member::enter);
        } else {
            ElementPtr trace = Json::member(action, String(Member::trace));
            if (!Json::isObject(trace))
                return memberError(ServiceErrors::missingMember, Member::trace);
            for (int64_t j = 0; j < elements; ++j) {
                ElementPtr descriptor = Json::member(trace, number(j));
                if (!Json::isObject(descriptor))
                    return memberError(ServiceErrors::missingMember, Member::trace);
                for (const char16_t* key : {Member::name, Member::cln, Member::aid, Member::mon}) {
                    if (!Document::hasText(descriptor, key))
                        return memberError(ServiceErrors::missingMember, key);
                }
                row.elements.push_back(CaptureElementRow{Document::utf8(descriptor, Member::name),
                                                         Document::utf8(descriptor, Member::cln),
                                                         Document::utf8(descriptor, Member::aid),
                                                         Document::utf8(descriptor, Member::mon)});
            }
        }
        actions.push_back(std::move(row));
    }
    int64_t captureId = 0;
    const StoreResult result = store.storeCapture(ticketId, actions, captureId);
    return result == StoreResult::Ok ? ServiceReply::text("OK") : storeError(result);
}

enum class Form { None, Code, Document };

using Handler = ServiceReply (*)(Store&, const Fields& form, const ElementPtr& document);

struct EndpointRow {
    const char16_t* name;
    const char* method;
    Form form;
    // Members a request document must hold as text, besides "code".
    std::vector<const char16_t*> required;
    Handler handler; // none for curversion.php, which answers the version text
    // For the lists: the counter that grows with each change of what they hold.
    int64_t DataVersion::*changes = nullptr;
};

const EndpointRow endpoints[] = {
    {Protocol::Endpoint::curversion, "GET", Form::None, {}, nullptr},
    {Protocol::Endpoint::getlocalelist,
     "POST",
     Form::Code,
     {},
     localeList,
     &DataVersion::localeChanges},
    {Protocol::Endpoint::getoslist, "POST", Form::Code, {}, osList, &DataVersion::osChanges},
    {Protocol::Endpoint::gettickets,
     "POST",
     Form::Code,
     {},
     ticketList,
     &DataVersion::ticketChanges},
    {Protocol::Endpoint::getticketcnt, "POST", Form::Code, {}, ticketCount},
    {Protocol::Endpoint::getsoftwarelist,
     "POST",
     Form::Code,
     {},
     softwareList,
     &DataVersion::softwareChanges},
    {Protocol::Endpoint::getcapture, "POST", Form::Code, {}, captureReply},
    {Protocol::Endpoint::createticket,
     "POST",
     Form::Document,
     {Member::question, Member::hw_guid, Member::username, Member::sw_id, Member::sw_file_desc,
      Member::sw_product_name, Member::sw_file_version, Member::sw_file_version_full,
      Member::sw_module_name, Member::sw_id_locale, Member::os_id_platform, Member::os_minor,
      Member::os_major, Member::os_build_no, Member::os_description, Member::id_locale},
     createTicket},
    {Protocol::Endpoint::checkticket,
     "POST",
     Form::Document,
     {Member::hw_guid, Member::username},
     checkTicket},
    {Protocol::Endpoint::feedback,
     "POST",
     Form::Document,
     {Member::ticketid, Member::sw_id, Member::sw_file_desc, Member::sw_product_name,
      Member::sw_file_version, Member::sw_file_version_full, Member::sw_module_name,
      Member::feedback},
     feedback},
    {Protocol::Endpoint::createcapture,
     "POST",
     Form::Document,
     {Member::tno, Member::cnt},
     createCapture},
};

// Endpoint names are ASCII: the path matches when its bytes are the name's units.
bool named(std::string_view path, const char16_t* name) {
    size_t i = 0;
    for (; name[i]; ++i) {
        if (i == path.size() || static_cast<unsigned char>(path[i]) != name[i])
            return false;
    }
    return i == path.size();
}

const EndpointRow* findEndpoint(std::string_view name) {
    for (const EndpointRow& endpoint : endpoints) {
        if (named(name, endpoint.name))
            return &endpoint;
    }
    return nullptr;
}

} // namespace

struct ServiceHandlers::Shared {
    explicit Shared(ConnectionPool& pool)
        : counters(pool), writes(error(ServiceErrors::storage, 503)) {
        for (const EndpointRow& endpoint : endpoints) {
            if (endpoint.changes)
                lists[&endpoint];
        }
    }

    CounterReader counters;
    // Filled once above; the request threads only look up.
    std::map<const EndpointRow*, ListCache> lists;
    GroupCommit writes;
    TicketBatch newTickets;
};

ServiceHandlers::ServiceHandlers(ConnectionPool& connections, std::string accessCode,
                                 std::string version)
    : pool(connections), code(std::move(accessCode)), versionText(std::move(version)),
      shared(std::make_unique<Shared>(connections)) {}

ServiceHandlers::~ServiceHandlers() = default;

void ServiceHandlers::observeGroupCommits(std::function<void(size_t)> observer) {
    shared->writes.observe(observer);
    shared->newTickets.observe(std::move(observer));
}

bool ServiceHandlers::isEndpoint(std::string_view endpoint) {
    return findEndpoint(endpoint) != nullptr;
}

ServiceReply ServiceHandlers::handle(std::string_view name, std::string_view method,
                                     std::string_view body,
                                     const std::string& clientAddress) const {
    const EndpointRow* endpoint = findEndpoint(name);
    if (!endpoint)
        return error(ServiceErrors::unknownEndpoint, 404);
    if (method != endpoint->method)
        return error(ServiceErrors::wrongMethod, 405);
    if (body.size() > maxBodyBytes)
        return error(ServiceErrors::tooLarge, 413);
    if (endpoint->form == Form::None)
        return ServiceReply::text(versionText);

    ServiceReply failure;
    Fields fields;
    ElementPtr doc;
    if (endpoint->form == Form::Code) {
        if (!readCodeForm(body, code, fields, failure))
            return failure;
    } else if (!readDocument(body, code, endpoint->required, doc, failure)) {
        return failure;
    }

    // The counts come from the counters that every request reads anyway; no
    // connection of its own and no statement of its own.
    if (endpoint->handler == ticketCount) {
        DataVersion version;
        if (!shared->counters.read(version, CounterReader::countDelay))
            return databaseError();
        return countReply(version.tickets, version.unsolved);
    }

    // A list is sent as kept while no change of what it holds has come since.
    ListCache* list = nullptr;
    int64_t changes = 0;
    if (endpoint->changes) {
        DataVersion version;
        if (!shared->counters.read(version))
            return databaseError();
        list = &shared->lists.at(endpoint);
        changes = version.*endpoint->changes;
        if (auto kept = list->reply(changes))
            return ServiceReply::document(std::move(kept));
    }
    std::unique_lock<std::mutex> rebuilding;
    if (list) {
        rebuilding = std::unique_lock<std::mutex>(list->rebuilding());
        if (auto kept = list->reply(changes))
            return ServiceReply::document(std::move(kept));
    }

    // checkticket mostly only reads, changes no count and waits for no group.
    const bool writes = endpoint->form == Form::Document && endpoint->handler != checkTicket;
    if (endpoint->handler == createTicket && pool.kind() == Database::Kind::Postgres) {
        // New tickets that arrive together go to PostgreSQL in one call
        // (TicketBatch.h).
        NewTicket ticket;
        ServiceReply refused;
        if (!readNewTicket(doc, ticket, refused))
            return refused;
        int64_t ticketId = 0;
        const StoreResult result = shared->newTickets.create(pool, ticket, clientAddress, ticketId);
        shared->counters.wrote();
        ServiceReply reply =
            result == StoreResult::Ok ? ServiceReply::text("OK") : storeError(result);
        reply.databaseFailed = result == StoreResult::Failed;
        return reply;
    }
    if (writes && pool.kind() == Database::Kind::Sqlite) {
        // Writes of the embedded store that arrive together share their commits
        // (GroupCommit.h). PostgreSQL groups the commits of concurrent
        // transactions itself; a group here would run its requests' statements
        // one round trip after the other on one connection, which measured
        // slower than one transaction per request.
        ServiceReply reply = shared->writes.run(pool, [&](Database& connection) {
            Store store(connection);
            store.setClientAddress(clientAddress);
            return endpoint->handler(store, fields, doc);
        });
        shared->counters.wrote();
        reply.databaseFailed = reply.status >= 500;
        return reply;
    }

    ConnectionPool::Lease lease = pool.acquire();
    if (!lease.get()) {
        ServiceLog::writef("cannot open the database: %s", pool.openError().c_str());
        ServiceReply reply = error(ServiceErrors::storage, 503);
        reply.databaseFailed = true;
        return reply;
    }
    Database& database = *lease.get();
    ServiceReply reply;
    if (list) {
        // The list and the change count it is kept under from one snapshot.
        Transaction snapshot(database, Transaction::Read);
        DataVersion built;
        Store store(database);
        if (readDataVersion(database, built))
            reply = endpoint->handler(store, fields, doc);
        if (!database.failed() && snapshot.commit() && reply.status == 200) {
            auto body = std::make_shared<const KeptReply>(std::move(reply.body));
            list->keep(built.*endpoint->changes, body);
            // The rows a list was built from can take more room than the list;
            // what they took goes back to the system instead of staying with
            // the process.
            malloc_trim(0);
            return ServiceReply::document(std::move(body));
        }
        if (reply.status == 200)
            reply = error(ServiceErrors::storage, 503);
    } else {
        Store store(database);
        store.setClientAddress(clientAddress);
        reply = endpoint->handler(store, fields, doc);
        if (writes)
            shared->counters.wrote();
    }
    if (reply.status >= 500 && lease.get()->failed()) {
        ServiceLog::writef("%.*s: %s", static_cast<int>(name.size()), name.data(),
                           lease.get()->error().c_str());
        reply.databaseFailed = true;
    }
    return reply;
}
