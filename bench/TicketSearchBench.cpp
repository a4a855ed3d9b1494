// The question box searches the whole ticket list on every typed character; this
// measures that search over 100 000 tickets.
#include "service/TicketList.h"

#include "bench/QuestionWords.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

// 100 000 tickets: questions of 6 to 14 words, ten software entries (id 1 the
// wildcard), three languages, states 1 to 4.
struct Fixture {
    SoftwareCatalogue catalogue;
    TicketList list{catalogue};

    Fixture() {
        catalogue.loadFromReply(u"{\"1\":{}}");
        std::mt19937 random(7);
        for (int id = 1; id <= 100000; ++id) {
            Ticket& t = list.find(id);
            int n = 6 + static_cast<int>(random() % 9);
            for (int w = 0; w < n; ++w) {
                if (w)
                    t.question.append(u' ');
                t.question.append(questionWords[random() % questionWordCount]);
            }
            t.question.append(u'?');
            t.id_state = 1 + static_cast<int>(random() % 4);
            const int locales[] = {1031, 1031, 1033, 1036};
            t.id_locale = locales[random() % 4];
            t.software_list = {2 + static_cast<int>(random() % 10)};
            if (random() % 5 == 0)
                t.software_list.insert(2 + static_cast<int>(random() % 10));
        }
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void searchFor(benchmark::State& state, const char16_t* query, int software) {
    Fixture& f = fixture();
    TicketMatches out;
    for (auto _ : state) {
        out.clear(); // the whole list searched, never a narrowing
        f.list.search(out, query, software, 1031);
        benchmark::DoNotOptimize(out);
    }
    state.counters["results"] = static_cast<double>(out.count());
}

// A word typed with every software chosen (the wildcard): all tickets are tested.
void BM_TicketSearchWordAllSoftware(benchmark::State& s) {
    searchFor(s, u"druck", 1);
}
// Two words with one software chosen.
void BM_TicketSearchTwoWordsOneSoftware(benchmark::State& s) {
    searchFor(s, u"DRUCKEN tabelle", 5);
}
// Three letters that occur rarely: the scan dominates.
void BM_TicketSearchRareWord(benchmark::State& s) {
    searchFor(s, u"xyz", 1);
}
// The empty text after Backspace: every ticket that passes the filters is copied.
void BM_TicketSearchEmptyQueryAllSoftware(benchmark::State& s) {
    searchFor(s, u"", 1);
}
void BM_TicketSearchEmptyQueryOneSoftware(benchmark::State& s) {
    searchFor(s, u"", 5);
}

} // namespace

BENCHMARK(BM_TicketSearchWordAllSoftware)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TicketSearchTwoWordsOneSoftware)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TicketSearchRareWord)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TicketSearchEmptyQueryAllSoftware)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TicketSearchEmptyQueryOneSoftware)->Unit(benchmark::kMillisecond);
