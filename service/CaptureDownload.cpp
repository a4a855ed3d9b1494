#include "service/CaptureDownload.h"

#include "base/Protocol.h"
#include "service/ServiceClient.h"

#include <algorithm>

using namespace Protocol;

namespace {

String decimal(int value) {
    return String::format(u"%i", value);
}

// How many of `count` entries the object can stand for: one per member at most.
int backedCount(int count, const ElementPtr& object) {
    const Json::ElementMap* map = Json::asMap(object);
    const int members =
        map ? static_cast<int>(std::min<size_t>(map->members.size(), INT32_MAX)) : 0;
    return std::clamp(count, 0, members);
}

ElementDescriptor descriptorFrom(const ElementPtr& element) {
    ElementDescriptor descriptor;
    descriptor.name = Json::memberText(element, Member::name);
    descriptor.className = Json::memberText(element, Member::class_name);
    descriptor.automationId = Json::memberText(element, Member::automation_id);
    descriptor.moduleName = Json::memberText(element, Member::module_name);
    return descriptor;
}

} // namespace

void appendCaptureActions(Capture& capture, const ElementPtr& reply) {
    const int actions = backedCount(Json::memberInt(reply, Member::trace_cnt), reply);
    capture.actions.reserve(capture.actions.size() + static_cast<size_t>(actions));
    for (int i = 0; i < actions; ++i) {
        const ElementPtr object = Json::member(reply, decimal(i));
        CaptureAction action;
        action.kind = Json::memberInt(object, Member::id_action);
        action.trace.enteredText = Json::memberText(object, Member::entered_text);
        const int elements = backedCount(Json::memberInt(object, Member::elem_cnt), object);
        action.trace.elements.reserve(static_cast<size_t>(elements));
        for (int j = 0; j < elements; ++j)
            action.trace.elements.push_back(descriptorFrom(Json::member(object, decimal(j))));
        capture.actions.push_back(std::move(action));
    }
}

bool downloadCapture(Ticket& ticket) {
    if (ticket.id_capture == 0)
        return false;
    // Played tickets are copies of the list's, so a capture kept here would
    // never be found again: every playback asks.
    ticket.capture.actions.clear();
    const String reply = ServiceClient::post(Endpoint::getcapture,
                                             ServiceClient::codeAndCaptureBody(ticket.id_capture));
    const ElementPtr root = Json::parseText(reply);
    appendCaptureActions(ticket.capture, root);
    return !ticket.capture.actions.empty();
}
