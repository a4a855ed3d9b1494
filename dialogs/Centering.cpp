#include "dialogs/Centering.h"

Origin centeredOrigin(int screenWidth, int screenHeight, int width, int height) {
    return Origin{(screenWidth >> 1) - (width >> 1), (screenHeight >> 1) - (height >> 1)};
}
