#include "automation/Capture.h"
#include "tests/StringPrinter.h"

#include <gtest/gtest.h>

TEST(ActionKinds, LabelsOfTheSixKindsOnly) {
    EXPECT_EQ(actionLabel(Action::leftDoubleClick), String(u"Linker Maus-Doppelklick"));
    EXPECT_EQ(actionLabel(Action::middleClick), String(u"Mittlerer Mausklick"));
    for (ActionKind other : {1, 0, 8, -1})
        EXPECT_TRUE(actionLabel(other).empty()) << other;
}
