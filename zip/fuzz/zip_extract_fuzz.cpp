// Opens archives held in memory and tests and extracts every entry to memory.
#include "zip/fuzz/fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zipfuzz::Exercise(data, size, true);
    return 0;
}
