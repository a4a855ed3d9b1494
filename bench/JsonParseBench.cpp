#include "base/Json.h"
#include "service/ServiceClient.h"

#include <benchmark/benchmark.h>

namespace {

// A gettickets.php reply: one object per ticket, keyed by its id, every value
// quoted text.
String ticketReply(int tickets) {
    String text(u"{");
    for (int id = 1; id <= tickets; ++id) {
        if (id > 1)
            text.append(u',');
        text.append(String::format(
            u"\"%i\":{\"question\":\"Wie kann ich in Programm %i die Seitenr\u00e4nder "
            u"\\u00e4ndern?\\nZweite Zeile mit \\\"Zitat\\\"\",\"id_operating_system\":\"%i\","
            u"\"id_state\":\"%i\",\"timestamp_created\":\"2024-05-%02i 12:%02i:00\","
            u"\"software_list\":\"%i;%i;%i\",\"id_capture\":\"%i\",\"id_locale\":\"%i\"}",
            id, id % 50, id % 7 + 1, id % 3 + 1, id % 28 + 1, id % 60, id % 40 + 1, id % 40 + 2,
            id % 40 + 3, id % 3 == 2 ? id : 0, id % 2 + 1));
    }
    text.append(u'}');
    return text;
}

void JsonParseTickets(benchmark::State& state) {
    const String text = ticketReply(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        ElementPtr root = Json::parseText(text);
        benchmark::DoNotOptimize(root);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * text.length() * 2);
    state.counters["chars"] = text.length();
}
BENCHMARK(JsonParseTickets)->Arg(100000)->Unit(benchmark::kMillisecond);

void JsonWriteAndEncodeTicketDocument(benchmark::State& state) {
    ElementPtr root = Json::makeRoot();
    String question;
    for (int i = 0; i < 2000; ++i)
        question.append(u"W\u00f6rter & \"Zeichen\" = ");
    Json::ElementMap::setString(root, u"question", question);
    Json::ElementMap::setString(root, u"code", ServiceClient::accessCode());
    for (auto _ : state) {
        std::string bytes = ServiceClient::bodyBytes(ServiceClient::documentBody(root));
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(JsonWriteAndEncodeTicketDocument)->Unit(benchmark::kMicrosecond);

} // namespace
