#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The frame that blinking mode draws straight onto the screen around an element
// of w x h pixels: (w + 2) x (h + 2) pixels, four bytes each in the order blue,
// green, red, alpha, rows top to bottom. Everything is orange with alpha 0
// except two one-pixel outlines: opaque orange of size (w + 1) x (h + 1) at
// (0, 0), and inside it opaque red of size (w - 1) x (h - 1) at (1, 1).
struct FrameImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;

    bool empty() const { return pixels.empty(); }
    // The four bytes of pixel (x, y).
    const uint8_t* pixel(int x, int y) const { return &pixels[(std::size_t(y) * width + x) * 4]; }
};

// The frame image for an element of width x height pixels; empty when either is
// below 1 or the image would be larger than any screen needs (so a bogus
// rectangle cannot ask for gigabytes).
FrameImage makeFrameImage(long long width, long long height);

// Largest side and pixel count of a frame image (an 8K screen fits).
constexpr long long maxFrameSide = 16384;
constexpr long long maxFramePixels = 1LL << 25;
