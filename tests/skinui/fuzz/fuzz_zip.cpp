// libFuzzer target: the skin zip reader.
#include "tests/skinui/fuzz/FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    skinfuzz::zip(data, size);
    return 0;
}
