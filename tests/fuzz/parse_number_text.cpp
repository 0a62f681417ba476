// The typed-number readers on arbitrary text.
#include "filter/number_parse.h"
#include "fuzz_check.h"

#include <string>
#include <string_view>

using namespace protmon;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::int32_t value = ParseNumberText(text);
    // A decimal text of a value reads back as that value, whatever followed it.
    FUZZ_CHECK(ParseIntegerText(std::to_string(value)) == value);
    const auto strict = ParseIntegerText(text);
    if (strict)
        FUZZ_CHECK(ParseIntegerText(std::to_string(*strict)) == strict);
    const std::string_view trimmed = TrimBlanks(text);
    FUZZ_CHECK(trimmed.size() <= text.size());
    FUZZ_CHECK(trimmed.empty() || (trimmed.front() != ' ' && trimmed.back() != ' '));
    return 0;
}
