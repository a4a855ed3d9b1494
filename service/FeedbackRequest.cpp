#include "service/FeedbackRequest.h"

#include "service/ServiceClient.h"

ElementPtr feedbackDocument(int ticketId, const SoftwareEntry& software, int answer) {
    using Json::ElementMap;
    ElementPtr root = Json::makeRoot();
    ElementMap::setString(root, u"code", ServiceClient::accessCode());
    ElementMap::setString(root, u"ticketid", String::format(u"%i", ticketId));
    ElementMap::setString(root, u"sw_id", String::format(u"%i", software.id));
    ElementMap::setString(root, u"sw_file_desc", software.file_desc);
    ElementMap::setString(root, u"sw_product_name", software.product_name);
    ElementMap::setString(root, u"sw_file_version", software.file_version);
    ElementMap::setString(root, u"sw_file_version_full", software.file_version_full);
    ElementMap::setString(root, u"sw_module_name", software.module_name);
    ElementMap::setString(root, u"feedback", answer == feedbackYes ? u"YES" : u"NO");
    return root;
}

bool feedbackSucceeded(const String& reply) {
    return reply.length() <= 4 && reply.contains(u"OK");
}

String sendFeedback(int ticketId, const SoftwareEntry& software, int answer) {
    return ServiceClient::post(
        u"feedback.php", ServiceClient::documentBody(feedbackDocument(ticketId, software, answer)));
}
