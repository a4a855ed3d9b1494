#include "automation/FrameImage.h"

namespace {

struct Colour {
    uint8_t blue, green, red, alpha;
};

constexpr Colour transparentOrange{0, 127, 255, 0};
constexpr Colour orange{0, 127, 255, 255};
constexpr Colour red{0, 0, 255, 255};

void put(FrameImage& image, int x, int y, Colour colour) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height)
        return;
    uint8_t* p = &image.pixels[(std::size_t(y) * image.width + x) * 4];
    // Source-over of an opaque colour leaves just that colour.
    p[0] = colour.blue;
    p[1] = colour.green;
    p[2] = colour.red;
    p[3] = colour.alpha;
}

// A one-pixel outline of a rectangle of size w x h at (x, y). Its half sizes
// are whole pixels, so it runs from (x, y) to (x + 2*(w/2), y + 2*(h/2)): an
// even size ends one pixel beyond the rectangle, an odd size on its last pixel.
void outline(FrameImage& image, int x, int y, int w, int h, Colour colour) {
    if (w < 0 || h < 0)
        return;
    const int right = x + 2 * (w / 2);
    const int bottom = y + 2 * (h / 2);
    for (int i = x; i <= right; ++i) {
        put(image, i, y, colour);
        put(image, i, bottom, colour);
    }
    for (int j = y; j <= bottom; ++j) {
        put(image, x, j, colour);
        put(image, right, j, colour);
    }
}

} // namespace

FrameImage makeFrameImage(long long width, long long height) {
    FrameImage image;
    if (width < 1 || height < 1 || width + 2 > maxFrameSide || height + 2 > maxFrameSide ||
        (width + 2) * (height + 2) > maxFramePixels)
        return image;
    const int w = static_cast<int>(width), h = static_cast<int>(height);
    image.width = w + 2;
    image.height = h + 2;
    image.pixels.resize(std::size_t(image.width) * image.height * 4);
    for (std::size_t i = 0; i < image.pixels.size(); i += 4) {
        image.pixels[i] = transparentOrange.blue;
        image.pixels[i + 1] = transparentOrange.green;
        image.pixels[i + 2] = transparentOrange.red;
        image.pixels[i + 3] = transparentOrange.alpha;
    }
    outline(image, 0, 0, w + 1, h + 1, orange);
    outline(image, 1, 1, w - 1, h - 1, red);
    return image;
}
