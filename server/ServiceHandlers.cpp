#include "server/ServiceHandlers.h"

#include "server/ConnectionPool.h"
#include "server/FormBody.h"
#include "server/Store.h"
#include "base/Json.h"
#include "base/Utf8.h"

#include <cstdio>
#include <vector>
#include <map>

namespace {

using Fields = std::map<std::string, std::string>;

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
    auto given = fields.find("code");
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
    auto content = fields.find("content");
    // A zero byte would cut every later reply that carries this text short.
    if (content == fields.end() || !Utf8::isValid(content->second) ||
        content->second.find('\0') != std::string::npos) {
        failure = error(ServiceErrors::malformed, 400);
        return false;
    }
    const String text = fromUtf8(content->second);
    if (!text.contains(u"{")) {
        failure = error(ServiceErrors::malformed, 400);
        return false;
    }
    // The deepest request, a capture, nests root, action, trace and descriptor.
    // Anything deeper is refused before it is built: a body of nothing but "{"
    // would otherwise cost hundreds of bytes of memory per byte sent.
    root = Json::parseText(text, maxRequestDepth);
    if (!root) {
        failure = error(ServiceErrors::malformed, 400);
        return false;
    }
    if (!Document::hasText(root, u"code") || !sameCode(Document::utf8(root, u"code"), code)) {
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

ServiceReply localeList(Store& store) {
    std::vector<LocaleRow> rows;
    if (!store.locales(rows))
        return error(ServiceErrors::storage, 503);
    ElementPtr root = Json::makeRoot();
    for (const LocaleRow& row : rows) {
        ElementPtr entry = Json::ElementMap::addMap(root, number(row.id));
        put(entry, u"microsoft_lcid", row.microsoftLcid);
        put(entry, u"description", row.description);
    }
    return documentReply(root);
}

ServiceReply osList(Store& store) {
    std::vector<OsRow> rows;
    if (!store.operatingSystems(rows))
        return error(ServiceErrors::storage, 503);
    ElementPtr root = Json::makeRoot();
    for (const OsRow& row : rows) {
        ElementPtr entry = Json::ElementMap::addMap(root, number(row.id));
        put(entry, u"id_platform", row.idPlatform);
        put(entry, u"major", row.major);
        put(entry, u"minor", row.minor);
        put(entry, u"build_no", row.buildNo);
        put(entry, u"desc", row.description);
    }
    return documentReply(root);
}

ServiceReply softwareList(Store& store) {
    std::vector<SoftwareRow> rows;
    if (!store.software(rows))
        return error(ServiceErrors::storage, 503);
    ElementPtr root = Json::makeRoot();
    for (const SoftwareRow& row : rows) {
        ElementPtr entry = Json::ElementMap::addMap(root, number(row.id));
        put(entry, u"id_locale", row.idLocale);
        put(entry, u"file_desc", row.fileDesc);
        put(entry, u"product_name", row.productName);
        put(entry, u"file_version", row.fileVersion);
        put(entry, u"file_version_full", row.fileVersionFull);
        put(entry, u"supported", int64_t(row.supported ? 1 : 0));
        put(entry, u"module_name", row.moduleName);
    }
    return documentReply(root);
}

ServiceReply ticketList(Store& store) {
    std::vector<TicketRow> rows;
    if (!store.tickets(rows))
        return error(ServiceErrors::storage, 503);
    ElementPtr root = Json::makeRoot();
    for (const TicketRow& row : rows) {
        ElementPtr entry = Json::ElementMap::addMap(root, number(row.id));
        String software;
        for (size_t i = 0; i < row.software.size(); ++i) {
            if (i > 0)
                software.append(u';');
            software.append(number(row.software[i]));
        }
        put(entry, u"question", row.question);
        put(entry, u"id_operating_system", row.idOperatingSystem);
        put(entry, u"id_state", row.idState);
        put(entry, u"timestamp_created", row.created);
        put(entry, u"software_list", software);
        put(entry, u"id_capture", row.idCapture);
        put(entry, u"id_locale", row.idLocale);
    }
    return documentReply(root);
}

ServiceReply ticketCount(Store& store) {
    int64_t total = 0, unsolved = 0;
    if (!store.ticketCounts(total, unsolved))
        return error(ServiceErrors::storage, 503);
    ElementPtr root = Json::makeRoot();
    put(root, u"total", total);
    put(root, u"unsolved", unsolved);
    return documentReply(root);
}

ServiceReply captureReply(Store& store, const Fields& fields) {
    auto cid = fields.find("cid");
    if (cid == fields.end())
        return memberError(ServiceErrors::missingMember, u"cid");
    int64_t captureId = 0;
    if (!parseNumber(cid->second, captureId))
        return memberError(ServiceErrors::badMember, u"cid");
    std::vector<CaptureActionRow> actions;
    bool found = false;
    if (!store.capture(captureId, actions, found))
        return error(ServiceErrors::storage, 503);
    if (!found)
        return error(ServiceErrors::unknownCapture, 404);
    ElementPtr root = Json::makeRoot();
    put(root, u"trace_cnt", int64_t(actions.size()));
    for (size_t i = 0; i < actions.size(); ++i) {
        const CaptureActionRow& action = actions[i];
        ElementPtr entry = Json::ElementMap::addMap(root, number(int64_t(i)));
        put(entry, u"id_action", action.idAction);
        put(entry, u"elem_cnt", int64_t(action.elements.size()));
        put(entry, u"entered_text", action.enteredText);
        for (size_t j = 0; j < action.elements.size(); ++j) {
            const CaptureElementRow& e = action.elements[j];
            ElementPtr element = Json::ElementMap::addMap(entry, number(int64_t(j)));
            put(element, u"name", e.name);
            put(element, u"class_name", e.className);
            put(element, u"automation_id", e.automationId);
            put(element, u"module_name", e.moduleName);
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

ServiceReply createTicket(Store& store, const ElementPtr& doc) {
    NewTicket ticket;
    const String question = Document::plain(doc, u"question");
    if (isBlank(question))
        return error(ServiceErrors::emptyQuestion, 400);
    ticket.question = Utf8::encode(question);
    struct NumberField {
        const char16_t* key;
        int64_t* target;
    };
    const NumberField numbers[] = {
        {u"id_locale", &ticket.idLocale},      {u"sw_id", &ticket.swId},
        {u"sw_id_locale", &ticket.swIdLocale}, {u"os_id_platform", &ticket.os.idPlatform},
        {u"os_major", &ticket.os.major},       {u"os_minor", &ticket.os.minor},
        {u"os_build_no", &ticket.os.buildNo},
    };
    for (const NumberField& field : numbers) {
        if (!Document::number(doc, field.key, *field.target))
            return memberError(ServiceErrors::badMember, field.key);
    }
    ticket.hwGuid = Document::utf8(doc, u"hw_guid");
    ticket.username = Document::utf8(doc, u"username");
    ticket.swFileDesc = Document::utf8(doc, u"sw_file_desc");
    ticket.swProductName = Document::utf8(doc, u"sw_product_name");
    ticket.swFileVersion = Document::utf8(doc, u"sw_file_version");
    ticket.swFileVersionFull = Document::utf8(doc, u"sw_file_version_full");
    ticket.swModuleName = Document::utf8(doc, u"sw_module_name");
    ticket.os.description = Document::utf8(doc, u"os_description");
    int64_t ticketId = 0;
    const StoreResult result = store.createTicket(ticket, ticketId);
    return result == StoreResult::Ok ? ServiceReply::text("OK") : storeError(result);
}

ServiceReply checkTicket(Store& store, const ElementPtr& doc) {
    std::vector<SolvedReport> reports;
    if (!store.takeSolvedReports(Document::utf8(doc, u"hw_guid"), Document::utf8(doc, u"username"),
                                 reports))
        return error(ServiceErrors::storage, 503);
    if (reports.empty())
        return ServiceReply::text("OK");
    ElementPtr root = Json::makeRoot();
    for (const SolvedReport& report : reports) {
        ElementPtr entry = Json::ElementMap::addMap(root, number(report.ticketId));
        put(entry, u"id_capture", report.idCapture);
        put(entry, u"question", report.question);
    }
    return documentReply(root);
}

ServiceReply feedback(Store& store, const ElementPtr& doc) {
    NewFeedback feedback;
    if (!Document::number(doc, u"ticketid", feedback.ticketId))
        return memberError(ServiceErrors::badMember, u"ticketid");
    if (!Document::number(doc, u"sw_id", feedback.swId))
        return memberError(ServiceErrors::badMember, u"sw_id");
    feedback.answer = Document::utf8(doc, u"feedback");
    if (feedback.answer != "YES" && feedback.answer != "NO")
        return memberError(ServiceErrors::badMember, u"feedback");
    feedback.helped = feedback.answer == "YES";
    feedback.swFileDesc = Document::utf8(doc, u"sw_file_desc");
    feedback.swProductName = Document::utf8(doc, u"sw_product_name");
    feedback.swFileVersion = Document::utf8(doc, u"sw_file_version");
    feedback.swFileVersionFull = Document::utf8(doc, u"sw_file_version_full");
    feedback.swModuleName = Document::utf8(doc, u"sw_module_name");
    const StoreResult result = store.recordFeedback(feedback);
    return result == StoreResult::Ok ? ServiceReply::text("OK") : storeError(result);
}

// The upload: "tno", "cnt" and the actions "0".."cnt-1", each with "act", "cnt" and
// either "trace" (descriptors "0".."cnt-1" with "name", "cln", "aid", "mon") or
// "enter".
ServiceReply createCapture(Store& store, const ElementPtr& doc) {
    // More steps or levels than any recording has; the body limit bounds it anyway.
    const int64_t maxCount = 100000;
    int64_t ticketId = 0, count = 0;
    if (!Document::number(doc, u"tno", ticketId))
        return memberError(ServiceErrors::badMember, u"tno");
    if (!Document::number(doc, u"cnt", count) || count < 0 || count > maxCount)
        return memberError(ServiceErrors::badMember, u"cnt");
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
        if (!Document::number(action, u"act", row.idAction) || row.idAction < 2 || row.idAction > 7)
            return memberError(ServiceErrors::badMember, u"act");
        if (!Document::number(action, u"cnt", elements) || elements < 0 || elements > maxCount)
            return memberError(ServiceErrors::badMember, u"cnt");
        if (elements == 0) {
            if (!Document::hasText(action, u"enter"))
                return memberError(ServiceErrors::missingMember, u"enter");
            row.enteredText = Document::utf8(action, u"enter");
        } else {
            ElementPtr trace = Json::member(action, String(u"trace"));
            if (!Json::isObject(trace))
                return memberError(ServiceErrors::missingMember, u"trace");
            for (int64_t j = 0; j < elements; ++j) {
                ElementPtr descriptor = Json::member(trace, number(j));
                if (!Json::isObject(descriptor))
                    return memberError(ServiceErrors::missingMember, u"trace");
                for (const char16_t* key : {u"name", u"cln", u"aid", u"mon"}) {
                    if (!Document::hasText(descriptor, key))
                        return memberError(ServiceErrors::missingMember, key);
                }
                row.elements.push_back(CaptureElementRow{
                    Document::utf8(descriptor, u"name"), Document::utf8(descriptor, u"cln"),
                    Document::utf8(descriptor, u"aid"), Document::utf8(descriptor, u"mon")});
            }
        }
        actions.push_back(std::move(row));
    }
    int64_t captureId = 0;
    const StoreResult result = store.storeCapture(ticketId, actions, captureId);
    return result == StoreResult::Ok ? ServiceReply::text("OK") : storeError(result);
}

enum class Form { Code, Document, None };

struct Endpoint {
    const char* name;
    const char* method;
    Form form;
};

const Endpoint endpoints[] = {
    {"curversion.php", "GET", Form::None},         {"getlocalelist.php", "POST", Form::Code},
    {"getoslist.php", "POST", Form::Code},         {"gettickets.php", "POST", Form::Code},
    {"getticketcnt.php", "POST", Form::Code},      {"getsoftwarelist.php", "POST", Form::Code},
    {"getcapture.php", "POST", Form::Code},        {"createticket.php", "POST", Form::Document},
    {"checkticket.php", "POST", Form::Document},   {"feedback.php", "POST", Form::Document},
    {"createcapture.php", "POST", Form::Document},
};

const Endpoint* findEndpoint(std::string_view name) {
    for (const Endpoint& endpoint : endpoints) {
        if (name == endpoint.name)
            return &endpoint;
    }
    return nullptr;
}

} // namespace

ServiceHandlers::ServiceHandlers(ConnectionPool& connections, std::string accessCode,
                                 std::string version)
    : pool(connections), code(std::move(accessCode)), versionText(std::move(version)) {}

bool ServiceHandlers::isEndpoint(std::string_view endpoint) {
    return findEndpoint(endpoint) != nullptr;
}

ServiceReply ServiceHandlers::handle(std::string_view name, std::string_view method,
                                     std::string_view body) const {
    const Endpoint* endpoint = findEndpoint(name);
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
    } else {
        std::vector<const char16_t*> required;
        if (name == "createticket.php")
            required = {
                u"question",       u"hw_guid",         u"username",        u"sw_id",
                u"sw_file_desc",   u"sw_product_name", u"sw_file_version", u"sw_file_version_full",
                u"sw_module_name", u"sw_id_locale",    u"os_id_platform",  u"os_minor",
                u"os_major",       u"os_build_no",     u"os_description",  u"id_locale"};
        else if (name == "checkticket.php")
            required = {u"hw_guid", u"username"};
        else if (name == "feedback.php")
            required = {u"ticketid",        u"sw_id",           u"sw_file_desc",
                        u"sw_product_name", u"sw_file_version", u"sw_file_version_full",
                        u"sw_module_name",  u"feedback"};
        else
            required = {u"tno", u"cnt"};
        if (!readDocument(body, code, required, doc, failure))
            return failure;
    }

    ConnectionPool::Lease lease = pool.acquire();
    if (!lease.get()) {
        std::fprintf(stderr, "lotse-service: cannot open the database: %s\n",
                     pool.openError().c_str());
        return error(ServiceErrors::storage, 503);
    }
    Store store(*lease.get());
    ServiceReply reply;
    if (name == "getlocalelist.php")
        reply = localeList(store);
    else if (name == "getoslist.php")
        reply = osList(store);
    else if (name == "gettickets.php")
        reply = ticketList(store);
    else if (name == "getticketcnt.php")
        reply = ticketCount(store);
    else if (name == "getsoftwarelist.php")
        reply = softwareList(store);
    else if (name == "getcapture.php")
        reply = captureReply(store, fields);
    else if (name == "createticket.php")
        reply = createTicket(store, doc);
    else if (name == "checkticket.php")
        reply = checkTicket(store, doc);
    else if (name == "feedback.php")
        reply = feedback(store, doc);
    else
        reply = createCapture(store, doc);
    if (reply.status >= 500 && lease.get()->failed())
        std::fprintf(stderr, "lotse-service: %.*s: %s\n", static_cast<int>(name.size()),
                     name.data(), lease.get()->error().c_str());
    return reply;
}
