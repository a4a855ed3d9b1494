#include "playback/PlayedSoftware.h"
#include "service/FeedbackRequest.h"
#include "service/ServiceClient.h"
#include "tests/StringPrinter.h"
#include "tests/support/FakeVersionResource.h"
#include "tests/support/MemoryAutomation.h"

#include <gtest/gtest.h>

TEST(Feedback, DocumentAndTheRuleOfSuccess) {
    const SoftwareEntry software{4,      1,          u"Wine Task Manager", u"Task Manager",
                                 u"1.0", u"1.0.0.1", u"taskmgr.exe",       false};
    EXPECT_EQ(Json::writeText(feedbackDocument(17, software, feedbackNo)),
              String(u"{\"code\":\"") + ServiceClient::accessCode() +
                  u"\",\"feedback\":\"NO\",\"sw_file_desc\":\"Wine Task Manager\","
                  u"\"sw_file_version\":\"1.0\",\"sw_file_version_full\":\"1.0.0.1\","
                  u"\"sw_id\":\"4\",\"sw_module_name\":\"taskmgr.exe\","
                  u"\"sw_product_name\":\"Task Manager\",\"ticketid\":\"17\"}");

    EXPECT_TRUE(feedbackSucceeded(u"OK"));
    EXPECT_TRUE(feedbackSucceeded(u"OK\r\n"));
    EXPECT_FALSE(feedbackSucceeded(u"OK   ")); // five characters: an error, whatever it holds
    EXPECT_FALSE(feedbackSucceeded(u""));
    EXPECT_FALSE(feedbackSucceeded(u"ok"));
}

TEST(Feedback, ThePlayedSoftwareIsNamedFromTheLastElement) {
    MemoryAutomation tree;
    tree.setProcessModule(7, {u"TaskMgr.exe", u"C:\\windows\\system32\\taskmgr.exe"});
    auto window = tree.add(tree.root(), {String(u"Task Manager"), u"", u"", 7, 0, {}, {}});
    auto button = tree.add(window, {String(u"New Task..."), u"", u"", 7, 0, {}, {}});

    FakeResource resource;
    resource.fixed = {0x00010000, 0x00010000};
    resource.translations = {{0x0409, 0x04b0}};
    resource.strings[u"\\StringFileInfo\\040904b0\\FileDescription"] = u"Wine Task Manager";
    resource.strings[u"\\StringFileInfo\\040904b0\\ProductName"] = u"Task Manager";

    SoftwareCatalogue catalogue;
    catalogue.loadFromReply(u"{\"3\":{\"file_desc\":\"Editor\"},\"5\":{\"file_desc\":"
                            u"\"Wine Task Manager\",\"file_version\":\"1.0\"},\"9\":{\"file_desc\":"
                            u"\"Wine Task Manager\",\"file_version\":\"1.0\"}}");
    SoftwareEntry played = playedSoftware(&tree, button, resource, catalogue);
    EXPECT_EQ(played.id, 5); // the first entry shown alike; the texts are the program's
    EXPECT_EQ(played.product_name, String(u"Task Manager"));
    EXPECT_EQ(played.module_name, String(u"taskmgr.exe"));

    // Not in the catalogue: no id, whatever an earlier answer found.
    resource.strings[u"\\StringFileInfo\\040904b0\\FileDescription"] = u"Other Tool";
    played = playedSoftware(&tree, button, resource, catalogue);
    EXPECT_EQ(played.id, 0);
    EXPECT_EQ(played.file_desc, String(u"Other Tool"));

    // The operating system's own programs are reported as no software at all.
    resource.strings[u"\\StringFileInfo\\040904b0\\ProductName"] =
        u"Betriebssystem Microsoft\u00ae Windows\u00ae";
    played = playedSoftware(&tree, button, resource, catalogue);
    EXPECT_EQ(played.id, 0);
    EXPECT_TRUE(played.file_desc.empty());
    EXPECT_TRUE(played.module_name.empty());
    EXPECT_EQ(played.id_locale, 1);
}
