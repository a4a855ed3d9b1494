#pragma once

#include "base/String.h"
#include "service/Ticket.h"

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

// What the question search reads, laid out for a scan on every typed character:
// only the tickets the search can offer (state 2 or 3), grouped by language, in
// id order; per ticket its software ids and its lower-cased question, all in
// contiguous arrays, so filtering never touches a Ticket. Built from the list's
// tickets, it holds them alive (and so whatever found them) until dropped.
class TicketIndex {
  public:
    using Tickets = std::map<int, Ticket>;

    explicit TicketIndex(std::shared_ptr<const Tickets> tickets);

    // The tickets of one language.
    struct Language {
        struct Entry {
            uint32_t questionStart;
            uint32_t questionLength;
            uint32_t softwareStart;
            uint32_t softwareCount;
        };
        int localeId = 0;
        std::vector<Entry> entries;
        std::vector<const Ticket*> tickets; // beside entries
        std::vector<int> software;          // the entries' software ids, one run each
        // The questions, each followed by a zero unit.
        std::vector<char16_t> questions;
    };

    // An index gathered while a list is read, each ticket as it is read (and
    // still in the cache), instead of in a walk over the whole list afterwards.
    // The tickets may come in any order (the service sends its ids in text
    // order, "10" before "9"), but each only once and final.
    class Gathering {
      public:
        // The ticket listed under `id`.
        void add(int id, const Ticket& ticket);
        // A ticket already added may have changed: the gathering is spoiled.
        void spoil() { spoiled = true; }
        bool intact() const { return !spoiled; }

      private:
        friend class TicketIndex;
        std::vector<Language> languages;   // in order of first appearance
        std::vector<std::vector<int>> ids; // beside each language's entries
        std::map<int, size_t> positions;   // by locale id
        bool spoiled = false;
    };
    // The gathered index of `tickets`, which must hold just the tickets added
    // to the intact `gathering`.
    TicketIndex(std::shared_ptr<const Tickets> tickets, Gathering&& gathering);

    // Null when no offered ticket is in that language.
    const Language* language(int localeId) const;

    // Positions in `language` of the tickets about the software (every one when
    // `anySoftware`) whose question holds every word, in id order. With `within`,
    // only those positions are tested.
    static void search(const Language& language, const std::vector<String>& words, int softwareId,
                       bool anySoftware, const std::vector<uint32_t>* within,
                       std::vector<uint32_t>& out);

  private:
    // Puts the language's entries in the order of `ids`, their tickets' ids.
    static void sortById(Language& language, const std::vector<int>& ids);

    std::shared_ptr<const Tickets> source;
    std::vector<Language> languages; // by locale id
};

// The first position of `word` in `text` (its code units compared exactly); -1
// when there is none or the word is empty.
ptrdiff_t findUnits(const char16_t* text, size_t length, const char16_t* word, size_t wordLength);
