// libFuzzer target: opens mutated database files and walks, puts and erases.
#include "catalog/fuzz/db_fuzz_body.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    dbfuzz::RunOpenFuzz(data, size);
    return 0;
}
