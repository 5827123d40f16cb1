// libFuzzer target: CByteStream driven by operation sequences and checked
// against a model after every step.
#include <cstddef>
#include <cstdint>

#include "imaging/fuzz/byte_stream_driver.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    byte_stream_fuzz::Run(data, size);
    return 0;
}
