// libFuzzer target: the dialog builder over every control class.
#include "tests/skinui/fuzz/FuzzEntries.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    skinfuzz::skin(data, size);
    return 0;
}
