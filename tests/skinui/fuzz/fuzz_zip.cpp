// libFuzzer target: the skin zip reader.
#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    skinfuzz::zip(data, size);
    return 0;
}
