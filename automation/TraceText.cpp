#include "automation/TraceText.h"

namespace {

String label(const ElementTrace& trace, bool withAutomationId) {
    if (trace.elements.empty())
        return trace.enteredText;
    const ElementDescriptor& target = trace.elements.front();
    if (target.name && !target.name->empty())
        return *target.name;
    if (!target.className.empty())
        return target.className;
    if (withAutomationId && !target.automationId.empty())
        return target.automationId;
    return String();
}

} // namespace

String traceLabel(const ElementTrace& trace) {
    return label(trace, true);
}

String traceShortLabel(const ElementTrace& trace) {
    return label(trace, false);
}

String elementDescriptorText(const ElementDescriptor& descriptor) {
    String text;
    if (descriptor.name && !descriptor.name->empty())
        text += String(u"Name(") + *descriptor.name + u") ";
    if (!descriptor.className.empty())
        text += String(u"Class(") + descriptor.className + u") ";
    if (!descriptor.automationId.empty())
        text += String(u"AID(") + descriptor.automationId + u") ";
    text += u" -> ";
    text += descriptor.found ? u"\u2713" : u"\u274C";
    if (!descriptor.matchNote.empty())
        text += String(u" (") + descriptor.matchNote + u")";
    return text;
}
