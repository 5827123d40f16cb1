// Opens and lists archives held in memory.
#include "zip/fuzz/fuzz_common.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zipfuzz::Exercise(data, size, false);
    return 0;
}
