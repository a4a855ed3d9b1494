#include "recording/DebugText.h"

#include "automation/TraceText.h"

String debugText(AutomationClient* client, const ElementTrace* trace,
                 const AutomationElementPtr& element) {
    String text;
    if (trace) {
        for (const ElementDescriptor& descriptor : trace->elements) {
            text += elementDescriptorText(descriptor);
            text += u'\n';
        }
    }
    if (element) {
        ElementRect rect;
        if (client)
            rect = client->boundingRect(element).value_or(ElementRect{});
        text += String::format(u"rect: %i %i %i %i", rect.left, rect.right, rect.top, rect.bottom);
    }
    return text;
}
