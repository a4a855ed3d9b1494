#include "service/CaptureUpload.h"

#include "base/Protocol.h"
#include "service/ServiceClient.h"

using namespace Protocol;

namespace {

using Json::ElementMap;

String decimal(int64_t value) {
    return String::format(u"%i", static_cast<long long>(value));
}

void addDescriptor(const ElementPtr& trace, int index, const ElementDescriptor& descriptor) {
    ElementPtr object = ElementMap::addMap(trace, decimal(index));
    ElementMap::setString(object, Member::name, descriptor.name.value_or(String()));
    ElementMap::setString(object, Member::cln, descriptor.className);
    ElementMap::setString(object, Member::aid, descriptor.automationId);
    ElementMap::setString(object, Member::mon, descriptor.moduleName.lower());
}

} // namespace

ElementPtr captureDocument(int ticketId, const Capture& capture) {
    ElementPtr root = Json::makeRoot();
    ElementMap::setString(root, Member::tno, decimal(ticketId));
    ElementMap::setString(root, Member::code, ServiceClient::accessCode());
    ElementMap::setString(root, Member::cnt, decimal(static_cast<int64_t>(capture.actions.size())));
    for (size_t i = 0; i < capture.actions.size(); ++i) {
        const CaptureAction& action = capture.actions[i];
        ElementPtr object = ElementMap::addMap(root, decimal(static_cast<int64_t>(i)));
        const std::vector<ElementDescriptor>& elements = action.trace.elements;
        ElementMap::setString(object, Member::act, decimal(action.kind));
        ElementMap::setString(object, Member::cnt, decimal(static_cast<int64_t>(elements.size())));
        if (elements.empty()) {
            ElementMap::setString(object, Member::enter, action.trace.enteredText);
            continue;
        }
        ElementPtr trace = ElementMap::addMap(object, Member::trace);
        for (size_t j = 0; j < elements.size(); ++j)
            addDescriptor(trace, static_cast<int>(j), elements[j]);
    }
    return root;
}

bool uploadCapture(int ticketId, const Capture& capture, String& errorText) {
    const String reply = ServiceClient::post(
        Endpoint::createcapture, ServiceClient::documentBody(captureDocument(ticketId, capture)));
    if (reply == String(u"OK"))
        return true;
    errorText = reply;
    return false;
}
