// Replays the kept fuzz inputs and crashers of the markup parser and the zip
// reader: each must be handled without a crash (run under the sanitizers in
// the address build).
#include "tests/skinui/fuzz/FuzzEntries.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::filesystem::path corpusDir(const char* which)
{
    return std::filesystem::path(testsupport::sourceDir()) / "tests" / "skinui" / "corpus" / which;
}

template <class F>
int replay(const char* which, F f)
{
    int count = 0;
    const auto dir = corpusDir(which);
    if (!std::filesystem::is_directory(dir))
        return 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        SCOPED_TRACE(entry.path().filename().string());
        f(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        ++count;
    }
    return count;
}

} // namespace

TEST(SkinFuzzCorpus, MarkupInputs)
{
    EXPECT_GT(replay("markup", skinfuzz::markup), 0);
}

TEST(SkinFuzzCorpus, ZipInputs)
{
    EXPECT_GT(replay("zip", skinfuzz::zip), 0);
}

TEST(SkinFuzzCorpus, ControlHeavySkins)
{
    EXPECT_GT(replay("skin", skinfuzz::skin), 0);
}
