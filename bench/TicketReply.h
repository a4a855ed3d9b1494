#pragma once

#include "base/Json.h"
#include "base/Protocol.h"
#include "base/Utf8.h"
#include "bench/QuestionWords.h"

#include <random>
#include <string>

// The bytes of a gettickets.php reply as the service writes them (members in key
// order, every value quoted text, UTF-8): questions of 6 to 14 words, now and then
// with a quoted word and a second line; ten software entries (id 1 the wildcard),
// three languages, states 1 to 4. About 250 bytes a ticket.
inline std::string ticketReplyBytes(int tickets) {
    using namespace Protocol;
    std::mt19937 random(7);
    ElementPtr root = Json::makeRoot();
    for (int id = 1; id <= tickets; ++id) {
        String question;
        const int words = 6 + static_cast<int>(random() % 9);
        for (int w = 0; w < words; ++w) {
            if (w)
                question.append(random() % 16 == 0 ? u'\n' : u' ');
            const String word(questionWords[random() % questionWordCount]);
            question.append(random() % 16 == 0 ? String(u"\"") + word + u"\"" : word);
        }
        question.append(u'?');
        String software = String::format(u"%i", 2 + static_cast<int>(random() % 10));
        if (random() % 5 == 0)
            software.append(String::format(u";%i", 2 + static_cast<int>(random() % 10)));
        const int locales[] = {1031, 1031, 1033, 1036};
        ElementPtr ticket = Json::ElementMap::addMap(root, String::format(u"%i", id));
        Json::ElementMap::setString(ticket, Member::question, question);
        Json::ElementMap::setString(ticket, Member::id_operating_system,
                                    String::format(u"%i", 1 + id % 7));
        Json::ElementMap::setString(ticket, Member::id_state,
                                    String::format(u"%i", 1 + static_cast<int>(random() % 4)));
        Json::ElementMap::setString(ticket, Member::id_capture,
                                    String::format(u"%i", id % 3 == 0 ? id : 0));
        Json::ElementMap::setString(ticket, Member::id_locale,
                                    String::format(u"%i", locales[random() % 4]));
        Json::ElementMap::setString(
            ticket, Member::timestamp_created,
            String::format(u"2024-05-%02i 12:%02i:00", 1 + id % 28, id % 60));
        Json::ElementMap::setString(ticket, Member::software_list, software);
    }
    return Utf8::encode(Json::writeText(root));
}
