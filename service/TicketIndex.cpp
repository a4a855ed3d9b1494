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

TicketIndex::TicketIndex(std::shared_ptr<const Tickets> tickets) : source(std::move(tickets)) {
    if (!source)
        return;
    // One walk over the tickets, each touched once: at 100 000 they lie
    // scattered over tens of megabytes, where a second walk to size the arrays
    // first costs more than letting them grow.
    std::map<int, size_t> positions; // by locale id
    for (const auto& [id, ticket] : *source) {
        if (!ticket.offeredBySearch())
            continue;
        auto [at, added] = positions.try_emplace(ticket.id_locale, languages.size());
        if (added) {
            languages.emplace_back();
            languages.back().localeId = ticket.id_locale;
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
    }
    std::sort(languages.begin(), languages.end(),
              [](const Language& a, const Language& b) { return a.localeId < b.localeId; });
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
