#include "service/CaptureDownload.h"
#include "service/CaptureUpload.h"
#include "service/ServiceClient.h"
#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

namespace {

Capture parsed(const String& reply) {
    Capture capture;
    appendCaptureActions(capture, Json::parseText(reply));
    return capture;
}

} // namespace

TEST(CaptureUpload, DocumentHoldsEachActionWithItsTraceOrItsText) {
    CaptureAction click{Action::leftClick, {}, {}};
    click.trace.elements = {{String(u"\"OK\""), u"Button", u"1", u"TaskMgr.EXE",
                             u"C:\\secret\\taskmgr.exe", u"AID and Name"},
                            {std::nullopt, {}, {}, {}, {}, {}}, // absent goes out empty
                            {String(), u"#32769", {}, {}, {}, {}}};
    CaptureAction typed{Action::textInput, {}, {}};
    typed.trace.enteredText = u"notepad";
    CaptureAction enter{Action::enterKey, {}, {}};
    enter.keyText = u"NOTEPAD";
    Capture capture{{click, typed, enter}};

    // The module name goes lower case, path and search note stay on this
    // computer, and so does the text typed before Return.
    const String code = ServiceClient::accessCode();
    EXPECT_EQ(
        Json::writeText(captureDocument(42, capture)),
        String(u"{\"0\":{\"act\":\"2\",\"cnt\":\"3\",\"trace\":{"
               u"\"0\":{\"aid\":\"1\",\"cln\":\"Button\",\"mon\":\"taskmgr.exe\","
               u"\"name\":\"\\\"OK\\\"\"},"
               u"\"1\":{\"aid\":\"\",\"cln\":\"\",\"mon\":\"\",\"name\":\"\"},"
               u"\"2\":{\"aid\":\"\",\"cln\":\"#32769\",\"mon\":\"\",\"name\":\"\"}}},"
               u"\"1\":{\"act\":\"7\",\"cnt\":\"0\",\"enter\":\"notepad\"},"
               u"\"2\":{\"act\":\"6\",\"cnt\":\"0\",\"enter\":\"\"},\"cnt\":\"3\",\"code\":\"") +
            code + u"\",\"tno\":\"42\"}");
    EXPECT_EQ(Json::writeText(captureDocument(7, Capture())),
              String(u"{\"cnt\":\"0\",\"code\":\"") + code + u"\",\"tno\":\"7\"}");
}

// The members themselves are read back whole by the service's ticket life test.
TEST(CaptureDownload, RepliesBecomeActionsWithTracesFilledWhereMembersAreMissing) {
    // Counts above what is there: the missing action and element come empty.
    Capture c =
        parsed(u"{\"trace_cnt\":\"3\",\"0\":{\"id_action\":\"5\"},\"1\":{\"id_action\":\"2\","
               u"\"elem_cnt\":\"2\",\"1\":{\"class_name\":\"Edit\"}}}");
    ASSERT_EQ(c.actions.size(), 3u);
    EXPECT_EQ(c.actions[0].kind, Action::rightClick);
    EXPECT_TRUE(c.actions[0].trace.elements.empty());
    ASSERT_EQ(c.actions[1].trace.elements.size(), 2u);
    EXPECT_TRUE(c.actions[1].trace.elements[0].className.empty());
    EXPECT_EQ(c.actions[1].trace.elements[1].className, String(u"Edit"));
    EXPECT_EQ(c.actions[2].kind, 0);

    // Members beyond the counts are ignored; no count, no actions.
    EXPECT_EQ(parsed(u"{\"trace_cnt\":\"1\",\"0\":{},\"1\":{\"id_action\":\"2\"}}").actions.size(),
              1u);
    EXPECT_TRUE(parsed(u"{\"trace_cnt\":\"0\"}").actions.empty());
    EXPECT_TRUE(parsed(u"OK").actions.empty());
    EXPECT_TRUE(parsed(u"{\"0\":{\"id_action\":\"2\"}}").actions.empty());
    // A count no reply could back does not fill memory with empty entries.
    c = parsed(u"{\"trace_cnt\":\"2147483647\",\"0\":{\"elem_cnt\":\"2000000000\"}}");
    EXPECT_EQ(c.actions.size(), 2u);
    EXPECT_EQ(c.actions[0].trace.elements.size(), 1u);
}

TEST(CaptureDownload, LargeCapturesComeWhole) {
    // The service's reply of 10 000 actions, clicks and text inputs in turn.
    String reply = u"{\"trace_cnt\":\"10000\"";
    for (int i = 0; i < 10000; i += 2)
        reply += String::format(u",\"%i\":{\"id_action\":\"2\",\"elem_cnt\":\"1\",\"0\":{\"name\":"
                                u"\"Button %i\"}},\"%i\":{\"id_action\":\"7\",\"entered_text\":"
                                u"\"Text %i\"}",
                                i, i, i + 1, i + 1);
    Capture c = parsed(reply + u"}");
    ASSERT_EQ(c.actions.size(), 10000u);
    EXPECT_EQ(*c.actions[9998].trace.elements[0].name, String(u"Button 9998"));
    EXPECT_EQ(c.actions[9999].trace.enteredText, String(u"Text 9999"));
    // And the upload of it is written whole.
    const ElementPtr upload = captureDocument(1, c);
    EXPECT_EQ(Json::asMap(upload)->members.size(), 10003u);
}

TEST(CaptureDownload, AskedForEveryTicketWithACaptureAndReplacingWhatItHeld) {
    ServiceClient::setServer(u"localhost", 1); // nothing listens: any request fails
    Ticket none;
    none.capture.actions.resize(1);
    EXPECT_FALSE(downloadCapture(none));
    EXPECT_EQ(none.capture.actions.size(), 1u); // no capture id: left alone
    Ticket failing;
    failing.id_capture = 5;
    failing.capture.actions.resize(1);
    EXPECT_FALSE(downloadCapture(failing));
    EXPECT_TRUE(failing.capture.actions.empty());
}
