#include "automation/win/UiaAutomationClient.h"

#include "automation/ElementDescription.h"
#include "automation/ElementSearch.h"
#include "automation/win/ProcessModules.h"
#include "tests/StringPrinter.h"
#include "tests/support/MemoryAutomation.h"
#include "tests/support/win/FakeUiAutomation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <objbase.h>
#include <oleauto.h>
#include <uiautomationclient.h>

using testing::HasSubstr;
using testing::IsEmpty;
using testing::UnorderedElementsAre;

namespace {

constexpr uint32_t closedProcess = 0xFFFFFFF0; // no such process: its module cannot be read

// A desktop with two look-alike editor windows, so that levels have several
// candidates, and controls for every match mode and for the fallback.
struct Desktop {
    explicit Desktop(MemoryAutomation& tree) {
        const uint32_t self = GetCurrentProcessId();
        tree.setProcessModule(self, *firstModuleOf(self));
        MemoryAutomation::Properties window;
        window.name = String(u"Editor");
        window.className = u"EditorWindow";
        window.processId = self;
        window.nativeWindow = 0x1234;
        window.rect = {0, 0, 800, 600};
        editor = tree.add(tree.root(), window);
        window.processId = closedProcess;
        window.rect = {820, 0, 1200, 600};
        other = tree.add(tree.root(), window);

        pane = tree.add(editor, std::nullopt, u"Pane", u"pane", {0, 0, 800, 500});
        ok = tree.add(pane, String(u"OK"), u"Button", u"1", {10, 10, 80, 30});
        okToo = tree.add(pane, String(u"OK"), u"Button", u"2", {90, 10, 160, 30});
        edit = tree.add(pane, String(), u"Edit", u"", {10, 40, 300, 60});
        blank = tree.add(pane, String(), u"", u"", {10, 70, 300, 90});
        hidden = tree.add(editor, String(u"Hidden"), u"Static", u"", {});
        deep = tree.add(hidden, String(u"Deep"), u"Label", u"", {});
        tree.add(other, String(u"Status"), u"Static", u"", {820, 500, 1200, 600});
    }

    AutomationElementPtr editor, other, pane, ok, okToo, edit, blank, hidden, deep;
};

// The element at a path of child positions below the desktop root.
AutomationElementPtr at(AutomationClient& client, const std::vector<int>& path) {
    AutomationElementPtr element = client.root();
    for (int position : path) {
        element = client.firstChild(element);
        for (int i = 0; i < position && element; ++i)
            element = client.nextSibling(element);
    }
    return element;
}

// Every level of a trace on a line of its own, the search's results included.
String levels(const ElementTrace& trace) {
    String text;
    for (const ElementDescriptor& d : trace.elements)
        text +=
            String::format(u"%s|%s|%s|%s|%s|%s|%i\n", d.name.value_or(u"<none>"), d.className,
                           d.automationId, d.moduleName, d.modulePath, d.matchNote, int(d.found));
    return text;
}

// A client over a new automation object of the fake, holding its only reference.
std::unique_ptr<UiaAutomationClient> clientOf(FakeUiAutomation& fake) {
    IUIAutomation* automation = fake.automation();
    auto client = std::make_unique<UiaAutomationClient>(automation);
    automation->Release();
    return client;
}

class UiaAutomationClientTest : public testing::Test {
  protected:
    // Every test ends with balanced books: the client gone, nothing referenced,
    // no task memory left, nothing freed twice.
    void TearDown() override {
        client.reset();
        EXPECT_THAT(fake.problems(), IsEmpty());
    }

    // Searches a copy of `trace` over the tree and through the client and
    // expects the same notes and the same element.
    void expectSameSearch(const ElementTrace& trace, int stopLevel) {
        SCOPED_TRACE(testing::Message() << "stop level " << stopLevel);
        ElementTrace direct = trace;
        ElementTrace com = trace;
        AutomationElementPtr expected = findElement(&tree, direct, stopLevel);
        AutomationElementPtr found = findElement(client.get(), com, stopLevel);
        EXPECT_EQ(levels(direct), levels(com));
        ASSERT_EQ(expected == nullptr, found == nullptr);
        if (expected) {
            EXPECT_EQ(tree.runtimeId(expected), client->runtimeId(found));
        }
    }

    MemoryAutomation tree;
    Desktop desktop{tree};
    FakeUiAutomation fake{tree};
    std::unique_ptr<UiaAutomationClient> client = clientOf(fake);
};

} // namespace

TEST_F(UiaAutomationClientTest, TracesAndSearchesGiveWhatTheTreeGives) {
    // Element by element, paths as walked through the client.
    const std::vector<std::pair<AutomationElementPtr, std::vector<int>>> targets = {
        {desktop.editor, {0}},     {desktop.pane, {0, 0}},     {desktop.ok, {0, 0, 0}},
        {desktop.edit, {0, 0, 2}}, {desktop.blank, {0, 0, 3}}, {desktop.deep, {0, 1, 0}},
        {desktop.other, {1}},      {tree.root(), {}}};
    for (const auto& [element, path] : targets) {
        AutomationElementPtr viaCom = at(*client, path);
        ASSERT_TRUE(viaCom);
        const ElementTrace trace = buildTrace(&tree, element);
        SCOPED_TRACE(testing::PrintToString(trace.elements.front().className));
        EXPECT_EQ(levels(trace), levels(buildTrace(client.get(), viaCom)));
        expectSameSearch(trace, 0);
        expectSameSearch(trace, 1);
    }
    // The pane has no name at all, the edit an empty one, and a window whose
    // process cannot be opened has no module.
    EXPECT_FALSE(client->name(at(*client, {0, 0})));
    EXPECT_EQ(client->name(at(*client, {0, 0, 2})), String());
    EXPECT_EQ(buildTrace(client.get(), at(*client, {1})).elements[0].moduleName, String());

    // Without terms the condition matches every child.
    EXPECT_EQ(client->findChildren(client->root(), ElementCondition{}).size(), 2u);
}

TEST_F(UiaAutomationClientTest, ReadsPropertiesAndComparesElements) {
    // Names, classes and automation ids are compared through the traces.
    AutomationElementPtr ok = at(*client, {0, 0, 0});
    EXPECT_EQ(client->boundingRect(ok), (ElementRect{10, 10, 80, 30}));
    EXPECT_EQ(client->runtimeId(ok), tree.runtimeId(desktop.ok));
    AutomationElementPtr editor = at(*client, {0});
    EXPECT_EQ(client->processId(editor), GetCurrentProcessId());
    EXPECT_EQ(client->nativeWindow(editor), 0x1234u);
    EXPECT_EQ(client->processModule(GetCurrentProcessId())->path,
              tree.processModule(GetCurrentProcessId())->path);
    EXPECT_FALSE(client->processModule(closedProcess));

    // The element under a point is the walked one; runtime ids are read between
    // their bounds, whatever the lower one.
    AutomationElementPtr hit = client->elementAtPoint(20, 20);
    EXPECT_TRUE(client->sameElement(hit, ok));
    EXPECT_FALSE(client->sameElement(hit, at(*client, {0, 0, 1})));
    EXPECT_TRUE(isElementInWindow(client.get(), hit, 0x1234));
    fake.runtimeIdLowerBound = 5;
    EXPECT_EQ(client->runtimeId(ok), tree.runtimeId(desktop.ok));
    tree.properties(desktop.ok)->runtimeId.clear();
    EXPECT_THAT(client->runtimeId(ok), IsEmpty());
    EXPECT_FALSE(client->elementAtPoint(5000, 5000));
    EXPECT_FALSE(client->parent(client->root()));

    // Handles of another client, null handles and a client without automation
    // answer none.
    EXPECT_FALSE(client->name(desktop.ok));
    EXPECT_FALSE(client->parent(desktop.ok));
    EXPECT_THAT(client->findChildren(nullptr, ElementCondition{}), IsEmpty());
    EXPECT_FALSE(client->sameElement(ok, desktop.ok));
    EXPECT_THAT(client->runtimeId(nullptr), IsEmpty());
    UiaAutomationClient none(nullptr);
    EXPECT_FALSE(none.root());
    EXPECT_FALSE(none.firstChild(ok));
    EXPECT_FALSE(none.elementAtPoint(20, 20));
}

TEST_F(UiaAutomationClientTest, FailedCallsAndVanishingElementsLeaveNothingBehind) {
    // Fail every call of a trace, two searches and the other queries in turn,
    // each with a new client; the books must balance after every run.
    const ElementTrace trace = buildTrace(&tree, desktop.deep);
    auto run = [&] {
        std::unique_ptr<UiaAutomationClient> failing = clientOf(fake);
        AutomationElementPtr deep = at(*failing, {0, 1, 0});
        buildTrace(failing.get(), deep);
        ElementTrace copy = trace;
        findElement(failing.get(), copy, 0);
        copy = trace;
        findElement(failing.get(), copy, 1);
        AutomationElementPtr hit = failing->elementAtPoint(20, 20);
        failing->sameElement(hit, deep);
        failing->runtimeId(hit);
        failing->boundingRect(hit);
        failing->nativeWindow(hit);
        failing->processId(hit);
        failing->findChildren(failing->root(), ElementCondition{});
    };
    client.reset();
    fake.calls = 0;
    run();
    const int calls = fake.calls;
    ASSERT_GT(calls, 100);
    for (int failing = 1; failing <= calls; ++failing) {
        fake.calls = 0;
        fake.failingCall = failing;
        run();
        ASSERT_THAT(fake.problems(), IsEmpty()) << "failing call " << failing;
    }
    fake.failingCall = 0;

    // The pane closes while the search looks for the button inside it: that
    // level finds nothing and the fallback cannot start from the closed pane,
    // through the client as over the tree. (An element closing mid-walk of a
    // trace is tested natively; through COM it is one more failing call.)
    ElementTrace okTrace = buildTrace(&tree, desktop.ok);
    MemoryAutomation closing;
    Desktop closingDesktop(closing);
    FakeUiAutomation closingFake(closing);
    {
        std::unique_ptr<UiaAutomationClient> com = clientOf(closingFake);
        auto closePaneAtButtonLevel = [](MemoryAutomation& where,
                                         const AutomationElementPtr& pane) {
            where.beforeCall = [&where, pane](int) {
                if (where.findChildrenCalls == 6)
                    where.remove(pane);
            };
        };
        tree.findChildrenCalls = 0;
        closePaneAtButtonLevel(tree, desktop.pane);
        closePaneAtButtonLevel(closing, closingDesktop.pane);
        ElementTrace direct = okTrace;
        ElementTrace viaCom = okTrace;
        EXPECT_FALSE(findElement(&tree, direct, 0));
        EXPECT_FALSE(findElement(com.get(), viaCom, 0));
        EXPECT_EQ(levels(direct), levels(viaCom));
        EXPECT_EQ(viaCom.elements[0].matchNote, String(u"Started at -> "));
        EXPECT_FALSE(viaCom.elements[0].found);
    }
    EXPECT_THAT(closingFake.problems(), IsEmpty());
}
