#include "service/CreateTicketRequest.h"

#include "base/Protocol.h"
#include "service/ServiceClient.h"
#include "service/SystemInfo.h"

using namespace Protocol;

CreateTicketRequest CreateTicketRequest::forThisComputer(const String& question,
                                                         const SoftwareEntry& software,
                                                         int localeId) {
    CreateTicketRequest request;
    request.question = question;
    request.software = software;
    request.localeId = localeId;
    request.hwGuid = SystemInfo::hwGuid();
    request.username = SystemInfo::username();
    // Naming the system once first keeps its product type in the shared record,
    // so the copy does not ask for it again.
    SystemInfo::osDescription();
    request.os = SystemInfo::osVersion();
    return request;
}

ElementPtr CreateTicketRequest::document() {
    using Json::ElementMap;
    ElementPtr root = Json::makeRoot();
    auto set = [&root](const char16_t* key, const String& value) {
        ElementMap::setString(root, key, value);
    };
    set(Member::question, question);
    set(Member::code, ServiceClient::accessCode());
    set(Member::hw_guid, hwGuid);
    set(Member::username, username);
    set(Member::sw_id, String::format(u"%i", software.id));
    set(Member::sw_file_desc, software.file_desc);
    set(Member::sw_product_name, software.product_name);
    set(Member::sw_file_version, software.file_version);
    set(Member::sw_file_version_full, software.file_version_full);
    set(Member::sw_module_name, software.module_name);
    set(Member::sw_id_locale, String::format(u"%i", software.id_locale));
    SystemInfo::addOperatingSystem(root, os);
    set(Member::id_locale, String::format(u"%i", localeId));
    return root;
}

String CreateTicketRequest::body() {
    return ServiceClient::documentBody(document());
}

String CreateTicketRequest::send() {
    return ServiceClient::post(Endpoint::createticket, body());
}

bool createTicketSucceeded(const String& reply) {
    return reply == String(u"OK");
}

String createTicketFailureText(const String& reply) {
    return String::format(u"Das Ticket konnte nicht angelegt werden: %s", reply);
}
