#include "service/TicketIndex.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool sameUnits(const char16_t* a, const char16_t* b, size_t count) {
    return std::memcmp(a, b, count * sizeof(char16_t)) == 0;
}

} // namespace

// Candidates are the places where both the word's first and its last unit
// stand; eight places are tested at once, and only candidates are compared
// whole. Questions are short and most words never occur, so nearly all the time
// goes into that filter.
ptrdiff_t findUnits(const char16_t* text, size_t length, const char16_t* word, size_t wordLength) {
    if (wordLength == 0 || wordLength > length)
        return -1;
    const size_t lastStart = length - wordLength;
    const char16_t first = word[0];
    const char16_t last = word[wordLength - 1];
    const size_t middle = wordLength > 2 ? wordLength - 2 : 0;
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i firsts = _mm_set1_epi16(static_cast<short>(first));
    const __m128i lasts = _mm_set1_epi16(static_cast<short>(last));
    // Both loads stay inside the text: the last one ends at lastStart + 7 +
    // wordLength - 1 < length.
    for (; i + 8 <= lastStart + 1; i += 8) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const __m128i b =
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + wordLength - 1));
        unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(
            _mm_and_si128(_mm_cmpeq_epi16(a, firsts), _mm_cmpeq_epi16(b, lasts))));
        while (mask) {
            const unsigned bit = static_cast<unsigned>(__builtin_ctz(mask));
            const size_t at = i + bit / 2;
            if (sameUnits(text + at + 1, word + 1, middle))
                return static_cast<ptrdiff_t>(at);
            mask &= ~(3u << bit);
        }
    }
#endif
    for (; i <= lastStart; ++i) {
        if (text[i] == first && text[i + wordLength - 1] == last &&
            sameUnits(text + i + 1, word + 1, middle))
            return static_cast<ptrdiff_t>(i);
    }
    return -1;
}

void TicketIndex::Gathering::add(int id, const Ticket& ticket) {
    if (spoiled || !ticket.offeredBySearch())
        return;
    auto [at, added] = positions.try_emplace(ticket.id_locale, languages.size());
    if (added) {
        languages.emplace_back();
        languages.back().localeId = ticket.id_locale;
        ids.emplace_back();
    }
    Language& language = languages[at->second];
    Language::Entry entry;
    entry.questionStart = static_cast<uint32_t>(language.questions.size());
    entry.questionLength = static_cast<uint32_t>(ticket.question.length());
    entry.softwareStart = static_cast<uint32_t>(language.software.size());
    entry.softwareCount = static_cast<uint32_t>(ticket.software_list.size());
    // Lower-cased as the query is, straight into the index.
    const char16_t* question = ticket.question.data();
    const auto lowered = language.questions.insert(language.questions.end(), question,
                                                   question + ticket.question.length());
    std::transform(lowered, language.questions.end(), lowered, String::lowerUnit);
    language.questions.push_back(0);
    language.software.insert(language.software.end(), ticket.software_list.begin(),
                             ticket.software_list.end());
    language.entries.push_back(entry);
    language.tickets.push_back(&ticket);
    ids[at->second].push_back(id);
}

// At 100 000 tickets they lie scattered over tens of megabytes: each is touched
// once, and the arrays grow rather than being sized by a walk of their own.
TicketIndex::TicketIndex(std::shared_ptr<const Tickets> tickets)
    : TicketIndex(tickets, [&tickets] {
          Gathering gathering;
          if (tickets) {
              for (const auto& [id, ticket] : *tickets)
                  gathering.add(id, ticket);
          }
          return gathering;
      }()) {}

TicketIndex::TicketIndex(std::shared_ptr<const Tickets> tickets, Gathering&& gathering)
    : source(std::move(tickets)), languages(std::move(gathering.languages)) {
    for (size_t i = 0; i < languages.size(); ++i) {
        if (!std::is_sorted(gathering.ids[i].begin(), gathering.ids[i].end()))
            sortById(languages[i], gathering.ids[i]);
    }
    std::sort(languages.begin(), languages.end(),
              [](const Language& a, const Language& b) { return a.localeId < b.localeId; });
}

// The arrays are laid out anew in id order: copying them whole costs less than
// walking the scattered tickets once more.
void TicketIndex::sortById(Language& language, const std::vector<int>& ids) {
    std::vector<uint32_t> order(ids.size());
    for (uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [&ids](uint32_t a, uint32_t b) { return ids[a] < ids[b]; });
    Language sorted;
    sorted.localeId = language.localeId;
    sorted.entries.reserve(order.size());
    sorted.tickets.reserve(order.size());
    sorted.software.reserve(language.software.size());
    sorted.questions.reserve(language.questions.size());
    for (uint32_t from : order) {
        Language::Entry entry = language.entries[from];
        const auto question = language.questions.begin() + entry.questionStart;
        const auto software = language.software.begin() + entry.softwareStart;
        entry.questionStart = static_cast<uint32_t>(sorted.questions.size());
        entry.softwareStart = static_cast<uint32_t>(sorted.software.size());
        // The question with its zero unit.
        sorted.questions.insert(sorted.questions.end(), question,
                                question + entry.questionLength + 1);
        sorted.software.insert(sorted.software.end(), software, software + entry.softwareCount);
        sorted.entries.push_back(entry);
        sorted.tickets.push_back(language.tickets[from]);
    }
    language = std::move(sorted);
}

const TicketIndex::Language* TicketIndex::language(int localeId) const {
    auto it = std::lower_bound(
        languages.begin(), languages.end(), localeId,
        [](const Language& language, int locale) { return language.localeId < locale; });
    return it != languages.end() && it->localeId == localeId ? &*it : nullptr;
}

void TicketIndex::search(const Language& language, const std::vector<String>& words, int softwareId,
                         bool anySoftware, const std::vector<uint32_t>* within,
                         std::vector<uint32_t>& out) {
    out.clear();
    const std::vector<Language::Entry>& entries = language.entries;
    const char16_t* questions = language.questions.data();
    auto aboutSoftware = [&](const Language::Entry& entry) {
        if (anySoftware)
            return true;
        const int* ids = language.software.data() + entry.softwareStart;
        return std::find(ids, ids + entry.softwareCount, softwareId) != ids + entry.softwareCount;
    };
    auto holdsWords = [&](const Language::Entry& entry, size_t fromWord) {
        for (size_t w = fromWord; w < words.size(); ++w) {
            if (findUnits(questions + entry.questionStart, entry.questionLength, words[w].data(),
                          static_cast<size_t>(words[w].length())) < 0)
                return false;
        }
        return true;
    };

    if (within) {
        for (uint32_t position : *within) {
            if (aboutSoftware(entries[position]) && holdsWords(entries[position], 0))
                out.push_back(position);
        }
        return;
    }
    if (words.empty()) {
        for (uint32_t position = 0; position < entries.size(); ++position) {
            if (aboutSoftware(entries[position]))
                out.push_back(position);
        }
        return;
    }
    // The first word is looked for in all questions at once; each place it is
    // found names a ticket, whose other words are then checked, and the scan goes
    // on after that ticket's question.
    const String& first = words.front();
    const size_t firstLength = static_cast<size_t>(first.length());
    const size_t total = language.questions.size();
    size_t from = 0;
    uint32_t position = 0;
    while (from < total && position < entries.size()) {
        const ptrdiff_t found =
            findUnits(questions + from, total - from, first.data(), firstLength);
        if (found < 0)
            return;
        const size_t at = from + static_cast<size_t>(found);
        while (position + 1 < entries.size() && entries[position + 1].questionStart <= at)
            ++position;
        const Language::Entry& entry = entries[position];
        const size_t questionEnd = size_t(entry.questionStart) + entry.questionLength;
        if (at + firstLength > questionEnd) {
            // Across the end of a question: only a word holding a zero unit can be.
            from = at + 1;
            continue;
        }
        if (aboutSoftware(entry) && holdsWords(entry, 1))
            out.push_back(position);
        from = questionEnd + 1;
        ++position;
    }
}
