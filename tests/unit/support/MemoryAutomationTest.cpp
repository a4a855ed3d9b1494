#include "tests/support/MemoryAutomation.h"
#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

TEST(MemoryAutomation, WalksTheTreeAndStopsAtTheRoot) {
    MemoryAutomation tree;
    AutomationElementPtr root = tree.root();
    ASSERT_TRUE(root);
    EXPECT_EQ(tree.parent(root), nullptr);
    EXPECT_EQ(tree.className(root).value(), String(u"#32769"));

    auto window = tree.add(root, u"Editor", u"Frame");
    auto first = tree.add(window, u"OK", u"Button");
    auto second = tree.add(window, std::nullopt, u"Button");
    EXPECT_TRUE(tree.sameElement(tree.parent(first), window));
    EXPECT_TRUE(tree.sameElement(tree.parent(window), root));
    EXPECT_TRUE(tree.sameElement(tree.firstChild(window), first));
    EXPECT_TRUE(tree.sameElement(tree.nextSibling(first), second));
    EXPECT_EQ(tree.nextSibling(second), nullptr);
    EXPECT_FALSE(tree.sameElement(first, second));

    // An absent name differs from an empty one.
    EXPECT_FALSE(tree.name(second).has_value());
    auto unnamed = tree.add(window, String(), u"Static");
    ASSERT_TRUE(tree.name(unnamed).has_value());
    EXPECT_TRUE(tree.name(unnamed)->empty());
    EXPECT_NE(tree.runtimeId(first), tree.runtimeId(second));
}

TEST(MemoryAutomation, FindsChildrenByConditionAndElementsAtPoints) {
    MemoryAutomation tree;
    auto window = tree.add(tree.root(), u"", u"Frame", u"", {100, 100, 500, 400});
    auto a = tree.add(window, u"OK", u"Button", u"1", {110, 110, 200, 140});
    auto b = tree.add(window, u"OK", u"Static");
    tree.add(window, std::nullopt, u"Button");

    ElementCondition okButton{
        {{ElementProperty::Name, u"OK"}, {ElementProperty::ClassName, u"Button"}}};
    auto found = tree.findChildren(window, okButton);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(tree.sameElement(found[0], a));
    EXPECT_EQ(tree.findChildren(window, {{{ElementProperty::Name, u"OK"}}}).size(), 2u);
    // An absent name matches the empty name, as the platform's conditions do.
    EXPECT_EQ(tree.findChildren(window, {{{ElementProperty::Name, u""}}}).size(), 1u);
    EXPECT_EQ(tree.findChildrenCalls, 3);

    EXPECT_TRUE(tree.sameElement(tree.elementAtPoint(150, 120), a));
    EXPECT_TRUE(tree.sameElement(tree.elementAtPoint(300, 300), window));
    EXPECT_TRUE(tree.sameElement(tree.elementAtPoint(50, 50), tree.root()));
    EXPECT_EQ(tree.elementAtPoint(5000, 50), nullptr);
    (void)b;
}

TEST(MemoryAutomation, RemovedElementsAnswerNothing) {
    MemoryAutomation tree;
    auto window = tree.add(tree.root(), u"Gone");
    tree.properties(window)->nativeWindow = 0x1234;
    auto child = tree.add(window, u"Child");
    EXPECT_EQ(tree.nativeWindow(window), 0x1234u);
    tree.remove(window);
    EXPECT_FALSE(tree.name(window).has_value());
    EXPECT_FALSE(tree.name(child).has_value());
    EXPECT_EQ(tree.parent(child), nullptr);
    EXPECT_EQ(tree.nativeWindow(window), 0u);
    EXPECT_TRUE(tree.runtimeId(child).empty());
    EXPECT_EQ(tree.firstChild(tree.root()), nullptr);
    EXPECT_EQ(tree.add(window, u"late"), nullptr);
    // Null handles are answered like failed calls.
    EXPECT_EQ(tree.parent(nullptr), nullptr);
    EXPECT_FALSE(tree.boundingRect(nullptr).has_value());
    EXPECT_FALSE(tree.sameElement(nullptr, nullptr));
}
