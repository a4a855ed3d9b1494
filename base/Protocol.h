#pragma once

#include <cstdint>

// The vocabulary of the exchange between the program and the service, spelled
// once for both: endpoint scripts, the members of request and reply documents
// and form bodies, action kinds and ticket states. Names are those on the wire.
namespace Protocol {

// The endpoint scripts. All but curversion.php take a POST.
namespace Endpoint {
inline constexpr char16_t curversion[] = u"curversion.php";
inline constexpr char16_t getlocalelist[] = u"getlocalelist.php";
inline constexpr char16_t getoslist[] = u"getoslist.php";
inline constexpr char16_t gettickets[] = u"gettickets.php";
inline constexpr char16_t getticketcnt[] = u"getticketcnt.php";
inline constexpr char16_t getsoftwarelist[] = u"getsoftwarelist.php";
inline constexpr char16_t getcapture[] = u"getcapture.php";
inline constexpr char16_t createticket[] = u"createticket.php";
inline constexpr char16_t checkticket[] = u"checkticket.php";
inline constexpr char16_t feedback[] = u"feedback.php";
inline constexpr char16_t createcapture[] = u"createcapture.php";
} // namespace Endpoint

// Members of documents and fields of form bodies.
namespace Member {
// Form bodies: "code=%s", "code=%s&cid=%i", "content=%s".
inline constexpr char16_t code[] = u"code";
inline constexpr char16_t cid[] = u"cid";
inline constexpr char16_t content[] = u"content";

// getlocalelist.php
inline constexpr char16_t microsoft_lcid[] = u"microsoft_lcid";
inline constexpr char16_t description[] = u"description";

// getoslist.php
inline constexpr char16_t id_platform[] = u"id_platform";
inline constexpr char16_t major[] = u"major";
inline constexpr char16_t minor[] = u"minor";
inline constexpr char16_t build_no[] = u"build_no";
inline constexpr char16_t desc[] = u"desc";

// getsoftwarelist.php
inline constexpr char16_t id_locale[] = u"id_locale";
inline constexpr char16_t file_desc[] = u"file_desc";
inline constexpr char16_t product_name[] = u"product_name";
inline constexpr char16_t file_version[] = u"file_version";
inline constexpr char16_t file_version_full[] = u"file_version_full";
inline constexpr char16_t supported[] = u"supported";
inline constexpr char16_t module_name[] = u"module_name";

// gettickets.php (and checkticket.php's reports: id_capture, question)
inline constexpr char16_t question[] = u"question";
inline constexpr char16_t id_operating_system[] = u"id_operating_system";
inline constexpr char16_t id_state[] = u"id_state";
inline constexpr char16_t timestamp_created[] = u"timestamp_created";
inline constexpr char16_t software_list[] = u"software_list";
inline constexpr char16_t id_capture[] = u"id_capture";

// getticketcnt.php
inline constexpr char16_t total[] = u"total";
inline constexpr char16_t unsolved[] = u"unsolved";

// getcapture.php: "trace_cnt", actions "0".. with "id_action", "elem_cnt",
// "entered_text" and descriptors "0".. with "name", "class_name",
// "automation_id", "module_name".
inline constexpr char16_t trace_cnt[] = u"trace_cnt";
inline constexpr char16_t id_action[] = u"id_action";
inline constexpr char16_t elem_cnt[] = u"elem_cnt";
inline constexpr char16_t entered_text[] = u"entered_text";
inline constexpr char16_t name[] = u"name";
inline constexpr char16_t class_name[] = u"class_name";
inline constexpr char16_t automation_id[] = u"automation_id";

// The asker's identity (createticket.php, checkticket.php).
inline constexpr char16_t hw_guid[] = u"hw_guid";
inline constexpr char16_t username[] = u"username";

// createticket.php and feedback.php: the software asked about or played.
inline constexpr char16_t sw_id[] = u"sw_id";
inline constexpr char16_t sw_id_locale[] = u"sw_id_locale";
inline constexpr char16_t sw_file_desc[] = u"sw_file_desc";
inline constexpr char16_t sw_product_name[] = u"sw_product_name";
inline constexpr char16_t sw_file_version[] = u"sw_file_version";
inline constexpr char16_t sw_file_version_full[] = u"sw_file_version_full";
inline constexpr char16_t sw_module_name[] = u"sw_module_name";

// createticket.php: the computer's operating system.
inline constexpr char16_t os_id_platform[] = u"os_id_platform";
inline constexpr char16_t os_major[] = u"os_major";
inline constexpr char16_t os_minor[] = u"os_minor";
inline constexpr char16_t os_build_no[] = u"os_build_no";
inline constexpr char16_t os_description[] = u"os_description";

// feedback.php
inline constexpr char16_t ticketid[] = u"ticketid";
inline constexpr char16_t feedback[] = u"feedback";

// createcapture.php: "tno", "cnt", actions "0".. with "act", "cnt" and either
// "trace" (descriptors "0".. with "name", "cln", "aid", "mon") or "enter".
inline constexpr char16_t tno[] = u"tno";
inline constexpr char16_t cnt[] = u"cnt";
inline constexpr char16_t act[] = u"act";
inline constexpr char16_t trace[] = u"trace";
inline constexpr char16_t enter[] = u"enter";
inline constexpr char16_t cln[] = u"cln";
inline constexpr char16_t aid[] = u"aid";
inline constexpr char16_t mon[] = u"mon";
} // namespace Member

// feedback.php's answers.
inline constexpr char16_t answerYes[] = u"YES";
inline constexpr char16_t answerNo[] = u"NO";

} // namespace Protocol

// The number of an action kind as the service stores it ("act", "id_action").
using ActionKind = int32_t;

namespace Action {
// Not an action: the input monitors' "nothing pending". Never on the wire.
constexpr ActionKind none = 1;
constexpr ActionKind leftClick = 2;
constexpr ActionKind leftDoubleClick = 3;
constexpr ActionKind middleClick = 4;
constexpr ActionKind rightClick = 5;
constexpr ActionKind enterKey = 6;
constexpr ActionKind textInput = 7;

// The kinds a recorded action may have.
constexpr bool isRecorded(int64_t kind) {
    return kind >= leftClick && kind <= textInput;
}
} // namespace Action

// A ticket's state ("id_state").
enum TicketState : int {
    TicketOpen = 1,      // waits for a solution; listed for solving
    TicketSolved = 2,    // a solution was recorded; feedback is asked after playing it
    TicketConfirmed = 3, // the asker said the solution helped
    TicketClosed = 4,    // kept by the service for the record, offered nowhere
};
