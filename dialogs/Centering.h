#pragma once

// Top-left corner that puts a box of the given size in the middle of a
// screen. Each half is taken by a shift right, so odd sizes round down and a
// box larger than the screen gets a negative origin.
struct Origin {
    int x = 0;
    int y = 0;
};

Origin centeredOrigin(int screenWidth, int screenHeight, int width, int height);
