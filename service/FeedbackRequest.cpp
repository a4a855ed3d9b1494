#include "service/FeedbackRequest.h"

#include "base/Protocol.h"
#include "service/ServiceClient.h"

using namespace Protocol;

ElementPtr feedbackDocument(int ticketId, const SoftwareEntry& software, int answer) {
    using Json::ElementMap;
    ElementPtr root = Json::makeRoot();
    ElementMap::setString(root, Member::code, ServiceClient::accessCode());
    ElementMap::setString(root, Member::ticketid, String::format(u"%i", ticketId));
    ElementMap::setString(root, Member::sw_id, String::format(u"%i", software.id));
    ElementMap::setString(root, Member::sw_file_desc, software.file_desc);
    ElementMap::setString(root, Member::sw_product_name, software.product_name);
    ElementMap::setString(root, Member::sw_file_version, software.file_version);
    ElementMap::setString(root, Member::sw_file_version_full, software.file_version_full);
    ElementMap::setString(root, Member::sw_module_name, software.module_name);
    ElementMap::setString(root, Member::feedback, answer == feedbackYes ? answerYes : answerNo);
    return root;
}

bool feedbackSucceeded(const String& reply) {
    return reply.length() <= 4 && reply.contains(u"OK");
}

String sendFeedback(int ticketId, const SoftwareEntry& software, int answer) {
    return ServiceClient::post(Endpoint::feedback, ServiceClient::documentBody(feedbackDocument(
                                                       ticketId, software, answer)));
}
