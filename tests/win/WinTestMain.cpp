#include "tests/win/WinTestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {
int servicePortValue = 0;
}

int WinTestEnvironment::servicePort() {
    return servicePortValue;
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        const char* prefix = "--service-port=";
        if (std::strncmp(argv[i], prefix, std::strlen(prefix)) == 0)
            servicePortValue = std::atoi(argv[i] + std::strlen(prefix));
    }
    return RUN_ALL_TESTS();
}
