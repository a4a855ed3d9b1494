#include "tests/win/WinTestEnvironment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {
int servicePortValue = 0;
int newerServicePortValue = 0;
int holdDialogMsValue = 0;

// Reads "--name=N" into `value`.
void readNumberOption(const char* argument, const char* prefix, int& value) {
    if (std::strncmp(argument, prefix, std::strlen(prefix)) == 0)
        value = std::atoi(argument + std::strlen(prefix));
}
} // namespace

int WinTestEnvironment::servicePort() {
    return servicePortValue;
}

int WinTestEnvironment::newerServicePort() {
    return newerServicePortValue;
}

int WinTestEnvironment::holdDialogMs() {
    return holdDialogMsValue;
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        readNumberOption(argv[i], "--service-port=", servicePortValue);
        readNumberOption(argv[i], "--newer-service-port=", newerServicePortValue);
        readNumberOption(argv[i], "--hold-dialog-ms=", holdDialogMsValue);
    }
    return RUN_ALL_TESTS();
}
