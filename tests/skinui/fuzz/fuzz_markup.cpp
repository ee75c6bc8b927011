// libFuzzer target: the skin markup parser.
#include "tests/skinui/fuzz/FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    skinfuzz::markup(data, size);
    return 0;
}
