// libFuzzer target: random operation streams on an in-memory database file
// with injected short or failing reads, writes and flushes.
#include "catalog/fuzz/db_fuzz_body.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    dbfuzz::RunOpsFuzz(data, size);
    return 0;
}
