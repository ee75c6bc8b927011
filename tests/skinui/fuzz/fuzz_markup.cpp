// libFuzzer target: the skin markup parser.
#include "FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    skinfuzz::markup(data, size);
    return 0;
}
