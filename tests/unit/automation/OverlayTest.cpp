#include "automation/FrameImage.h"
#include "automation/Overlay.h"
#include "automation/OverlayPlacement.h"
#include "tests/support/MemoryAutomation.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace {

// Records what the overlay asks of the window layer.
struct FakeView : OverlayView {
    std::vector<ElementRect> screens{{0, 0, 1280, 1024}};
    std::optional<ElementRect> owner = ElementRect{0, 0, 1280, 1024};
    bool exists = false;
    bool shown = false;
    ElementRect area;
    int creates = 0, repaints = 0, images = 0, releases = 0, raises = 0;
    FrameImage image;
    std::vector<std::string> log;

    std::vector<ElementRect> monitors() override { return screens; }
    std::optional<ElementRect> ownerMonitor() override { return owner; }
    bool windowExists() override { return exists; }
    bool createWindow(const ElementRect& a) override {
        ++creates;
        exists = shown = true;
        area = a;
        return true;
    }
    void moveWindow(const ElementRect& a) override { area = a; }
    void destroyWindow() override { exists = shown = false; }
    void showWindow(bool show) override {
        shown = show;
        log.push_back(show ? "show" : "hide");
    }
    void raiseWindow() override { ++raises; }
    void repaint() override { ++repaints; }
    void setFrameImage(const FrameImage* i) override {
        if (i) {
            ++images;
            image = *i;
        } else {
            ++releases;
            image = {};
        }
    }
    void blendFrame(int x, int y) override {
        log.push_back("blend " + std::to_string(x) + "," + std::to_string(y) + " " +
                      std::to_string(image.width) + "x" + std::to_string(image.height));
    }
};

struct Fixture {
    MemoryAutomation tree;
    FakeView view;
    Overlay overlay{view};
    AutomationElementPtr add(ElementRect rect, const String& automationId = String()) {
        return tree.add(tree.root(), String(u"x"), u"Button", automationId, rect);
    }
    std::optional<ElementRect> box() const {
        return overlay.rect().isEmpty() ? std::nullopt : std::optional(overlay.boxRect());
    }
    // What `count` ticks of the blink timer did.
    std::vector<std::string> ticks(int count) {
        view.log.clear();
        while (count-- > 0)
            overlay.tick();
        return view.log;
    }
};

// Opaque orange, opaque red and transparent orange pixels of a frame image.
struct Census {
    int orange = 0, red = 0, clear = 0, other = 0;
    friend bool operator==(const Census&, const Census&) = default;
};

Census census(const FrameImage& image) {
    Census c;
    for (std::size_t i = 0; i < image.pixels.size(); i += 4) {
        const uint8_t* p = &image.pixels[i];
        const bool orange = p[0] == 0 && p[1] == 127 && p[2] == 255;
        if (orange && p[3] == 255)
            ++c.orange;
        else if (orange && p[3] == 0)
            ++c.clear;
        else if (p[0] == 0 && p[1] == 0 && p[2] == 255 && p[3] == 255)
            ++c.red;
        else
            ++c.other;
    }
    return c;
}

// Blue, green, red, alpha of one pixel as 0xRRGGBBAA.
uint32_t rgba(const FrameImage& image, int x, int y) {
    const uint8_t* p = image.pixel(x, y);
    return uint32_t(p[2]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[0]) << 8 | p[3];
}

} // namespace

TEST(FrameImage, TwoOutlinesOverTransparentOrange) {
    // 100 x 40: the orange outline (101 x 41 at 0,0) runs from 0 to 100 and 0 to
    // 40, the red one (99 x 39 at 1,1) from 1 to 99 and 1 to 39; the last row and
    // column stay clear.
    FrameImage image = makeFrameImage(100, 40);
    ASSERT_EQ(image.width, 102);
    ASSERT_EQ(image.height, 42);
    EXPECT_EQ(census(image), (Census{2 * 101 + 2 * 39, 2 * 99 + 2 * 37, 3732, 0}));
    const std::tuple<int, int, uint32_t> pixels[] = {{0, 0, 0xFF7F00FFu},   {100, 40, 0xFF7F00FFu},
                                                     {1, 1, 0xFF0000FFu},   {99, 39, 0xFF0000FFu},
                                                     {50, 20, 0xFF7F0000u}, {101, 41, 0xFF7F0000u}};
    for (const auto& [x, y, expected] : pixels)
        EXPECT_EQ(rgba(image, x, y), expected) << x << "," << y;

    // Odd sizes reach the last row and column; at one pixel the red outline
    // shrinks to a point.
    FrameImage odd = makeFrameImage(101, 41);
    EXPECT_EQ(census(odd), (Census{2 * 103 + 2 * 41, 2 * 101 + 2 * 39, 103 * 43 - 568, 0}));
    EXPECT_EQ(rgba(odd, 102, 42), 0xFF7F00FFu);
    EXPECT_EQ(census(makeFrameImage(1, 1)), (Census{8, 1, 0, 0}));
    EXPECT_TRUE(makeFrameImage(0, 10).empty());
    EXPECT_TRUE(makeFrameImage(4294967295LL, 10).empty()); // a bogus rectangle
    EXPECT_TRUE(makeFrameImage(16000, 16000).empty());
}

TEST(OverlayPlacement, MonitorOfTheElementElseTheOwners) {
    const std::vector<ElementRect> two{{0, 0, 1920, 1080}, {1920, -200, 3840, 880}};
    const ElementRect owner{0, 0, 1920, 1080};
    // Straddling: the monitor with most of it; off every monitor: the owner's.
    // Overlay.BoxOnTheMonitorThatHoldsTheElement places wholly shown elements.
    EXPECT_EQ(overlayMonitor(two, {1900, 0, 2000, 10}, owner), two[1]);
    EXPECT_EQ(overlayMonitor(two, {1800, 0, 1930, 10}, owner), two[0]);
    EXPECT_EQ(overlayMonitor(two, {5000, 0, 5100, 10}, owner), owner);
    EXPECT_EQ(overlayMonitor(two, {}, owner), owner);
    EXPECT_EQ(overlayMonitor({}, {10, 10, 20, 20}, std::nullopt), std::nullopt);
    EXPECT_EQ(toWindowCoordinates({INT32_MIN, 0, 10, 10}, {100, 0, 200, 10}).left, INT32_MIN);
}

TEST(Overlay, ShowReturnsAndKeepsTheMark) {
    Fixture f;
    // None when nothing is marked: no window, nothing changes.
    EXPECT_FALSE(f.overlay.show(&f.tree, nullptr));

    auto button = f.add({100, 200, 200, 240});
    EXPECT_TRUE(f.overlay.show(&f.tree, button));
    EXPECT_EQ(f.view.area, (ElementRect{0, 0, 1280, 1024}));
    EXPECT_EQ(f.box(), (ElementRect{100, 200, 200, 240}));
    EXPECT_EQ(f.view.image.width, 102);
    // The same rectangle again: true, no new window, image or raise (a new mark
    // goes on top of everything; a window just made is there already).
    EXPECT_TRUE(f.overlay.show(&f.tree, button));
    EXPECT_EQ((std::array{f.view.creates, f.view.images, f.view.raises}), (std::array{1, 1, 0}));

    // A moved element: a new image, the previous one released by replacing it.
    f.tree.properties(button)->rect = {110, 200, 210, 250};
    EXPECT_TRUE(f.overlay.show(&f.tree, button));
    EXPECT_EQ(f.view.images, 2);
    EXPECT_EQ(f.view.raises, 1);
    EXPECT_EQ(f.view.image.height, 52);

    // None removes the mark and keeps the window.
    int repaints = f.view.repaints;
    EXPECT_FALSE(f.overlay.show(&f.tree, nullptr));
    EXPECT_TRUE(f.overlay.rect().isEmpty());
    EXPECT_EQ(f.view.repaints, repaints + 1);
    EXPECT_EQ(f.view.releases, 1);

    // An empty rectangle, and a failed read, mark nothing; the second time the
    // window goes.
    auto flat = f.add({5, 5, 5, 40});
    EXPECT_FALSE(f.overlay.show(&f.tree, flat));
    EXPECT_TRUE(f.view.exists);
    EXPECT_FALSE(f.overlay.show(&f.tree, flat));
    EXPECT_FALSE(f.view.exists);
    // The rectangle read fails (the query after the automation id's).
    f.tree.failAt(2);
    EXPECT_FALSE(f.overlay.show(&f.tree, button));
    EXPECT_EQ(f.view.creates, 2); // (0,0,0,0) differs from (5,5,5,40)
    f.tree.remove(button);        // now every query fails
    EXPECT_FALSE(f.overlay.show(&f.tree, button));
    EXPECT_FALSE(f.view.exists);

    // The next element makes the window again.
    EXPECT_TRUE(f.overlay.show(&f.tree, f.add({1, 1, 2, 2})));
    EXPECT_EQ(f.view.creates, 3);
}

TEST(Overlay, WindowComesBackAfterShutdownOrItsOwnerTookIt) {
    Fixture f;
    auto button = f.add({100, 200, 200, 240});
    EXPECT_TRUE(f.overlay.show(&f.tree, button));
    f.overlay.shutdown();
    EXPECT_FALSE(f.view.exists);
    EXPECT_EQ(f.view.releases, 1);
    EXPECT_TRUE(f.overlay.rect().isEmpty());
    EXPECT_TRUE(f.overlay.show(&f.tree, button));
    EXPECT_EQ(f.view.creates, 2);

    // The owner destroyed the window behind the overlay's back.
    f.view.exists = false;
    EXPECT_TRUE(f.overlay.show(&f.tree, button));
    EXPECT_EQ(f.view.creates, 3);
    EXPECT_EQ(f.view.images, 2); // same rectangle: the image stays

    // The navigator between steps.
    f.overlay.removeWindow();
    EXPECT_FALSE(f.view.exists);
    EXPECT_TRUE(f.overlay.rect().isEmpty());

    // Without monitor information no window is made; the mark is kept and the
    // next show makes the window once the monitor can be read.
    f.view.screens.clear();
    f.view.owner.reset();
    EXPECT_TRUE(f.overlay.show(&f.tree, button));
    EXPECT_FALSE(f.view.exists);
    EXPECT_EQ(f.overlay.rect(), (ElementRect{100, 200, 200, 240}));
    f.view.owner = ElementRect{0, 0, 1280, 1024};
    EXPECT_TRUE(f.overlay.show(&f.tree, button));
    EXPECT_TRUE(f.view.exists);
}

TEST(Overlay, BoxOnTheMonitorThatHoldsTheElement) {
    Fixture f;
    // The main window on a monitor left of the primary one; the element on a
    // third monitor to the right.
    f.view.screens = {{0, 0, 1920, 1080}, {-1280, 100, 0, 1124}, {1920, -300, 3840, 780}};
    f.view.owner = f.view.screens[1];
    EXPECT_TRUE(f.overlay.show(&f.tree, f.add({2000, -100, 2100, -60})));
    EXPECT_EQ(f.view.area, f.view.screens[2]);
    EXPECT_EQ(f.box(), (ElementRect{80, 200, 180, 240}));

    // The next element on the main window's monitor: the window moves there.
    EXPECT_TRUE(f.overlay.show(&f.tree, f.add({-1000, 200, -900, 260})));
    EXPECT_EQ(f.view.creates, 1);
    EXPECT_EQ(f.view.area, f.view.screens[1]);
    EXPECT_EQ(f.box(), (ElementRect{280, 100, 380, 160}));

    // Nothing marked: nothing to paint, the window stays where it is.
    EXPECT_FALSE(f.overlay.show(&f.tree, nullptr));
    EXPECT_TRUE(f.overlay.boxRect().isEmpty());
    EXPECT_EQ(f.view.area, f.view.screens[1]);
}

TEST(Overlay, SettingsElementsBlink) {
    using Log = std::vector<std::string>;
    Fixture f;
    auto settings =
        f.add({300, 400, 400, 440}, u"Page windows.immersivecontrolpanel_cw5n1h2txyewy!App");
    EXPECT_TRUE(f.overlay.show(&f.tree, settings));
    EXPECT_TRUE(f.overlay.isBlinking());
    EXPECT_EQ(f.ticks(3),
              (Log{"hide", "blend 299,399 102x42", "show", "hide", "blend 299,399 102x42"}));
    EXPECT_FALSE(f.overlay.isWindowShown());

    // Blinking with nothing marked only hides and shows.
    f.tree.properties(settings)->rect = {};
    EXPECT_FALSE(f.overlay.show(&f.tree, settings));
    EXPECT_TRUE(f.overlay.isBlinking());
    EXPECT_TRUE(f.view.exists);
    EXPECT_EQ(f.ticks(4), (Log{"show", "hide", "show", "hide"}));

    // None while hidden: the Settings marker is gone, so the window is shown
    // again at once and the timer leaves it alone; likewise an unrelated element.
    EXPECT_FALSE(f.overlay.show(&f.tree, nullptr));
    EXPECT_FALSE(f.overlay.isBlinking());
    EXPECT_TRUE(f.view.shown);
    EXPECT_TRUE(f.ticks(1).empty());
    f.tree.properties(settings)->rect = {300, 400, 400, 440};
    EXPECT_TRUE(f.overlay.show(&f.tree, settings));
    EXPECT_EQ(f.ticks(1), (Log{"hide", "blend 299,399 102x42"}));
    EXPECT_TRUE(f.overlay.show(&f.tree, f.add({1, 1, 5, 5}, u"windows.immersivecontrolpanel")));
    EXPECT_FALSE(f.overlay.isBlinking());
    EXPECT_TRUE(f.view.shown);
}
