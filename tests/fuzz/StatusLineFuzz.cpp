// Status-line expansion on any text with any arguments: the line never exceeds its limit, a
// shorter limit only cuts the same line shorter, and a caller's buffer of any size is never
// written past its end.

#include "job/CMessage.h"
#include "platform/Resources.h"

#include "FuzzCheck.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

// Answers every id with the text under test, as a language module would.
class FuzzResources : public CResourceModule
{
public:
    std::string text;
    bool loadString(int, std::string& out) const override
    {
        out = text;
        return true;
    }
};

CMsgArg anyArgument(FuzzedDataProvider& in)
{
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0: return CMsgArg(in.ConsumeRandomLengthString(600));
    case 1: return CMsgArg(in.ConsumeIntegral<long long>());
    case 2: {
        // Any bit pattern: infinities, NaNs and numbers with hundreds of digits included.
        const uint64_t bits = in.ConsumeIntegral<uint64_t>();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return CMsgArg(value);
    }
    default: return CMsgArg(in.ConsumeIntegral<int>());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzResources resources;
    static const bool installed = (setActiveResources(&resources), true);
    (void)installed;

    FuzzedDataProvider in(data, size);
    const size_t limit = in.ConsumeIntegralInRange<size_t>(0, 2 * CMessage::kLineLimit);
    const size_t room = in.ConsumeIntegralInRange<size_t>(0, 2 * CMessage::kLineLimit);
    std::vector<CMsgArg> args;
    for (int n = in.ConsumeIntegralInRange(0, 6); n > 0; --n)
        args.push_back(anyArgument(in));
    while (args.size() < 4)
        args.emplace_back(0);
    const std::string text = in.ConsumeRemainingBytesAsString();

    const std::string full = CMessage::expandText(text, args, SIZE_MAX);
    const std::string line = CMessage::expandText(text, args, limit);
    FUZZ_CHECK(line.size() <= limit);
    FUZZ_CHECK(full.compare(0, line.size(), line) == 0);

    // Through the string table into a buffer of exactly room bytes.
    resources.text = text;
    std::unique_ptr<char[]> buffer(new char[room]);
    const int written = CMessage::getInstance()->format(buffer.get(), room, 150, args[0], args[1], args[2], args[3]);
    if (room == 0) {
        FUZZ_CHECK(written == 0);
        return 0;
    }
    const std::string expected =
        CMessage::expandText(text, {args[0], args[1], args[2], args[3]}, std::min(room - 1, CMessage::kLineLimit));
    FUZZ_CHECK(static_cast<size_t>(written) == expected.size() && buffer[written] == '\0');
    FUZZ_CHECK(std::memcmp(buffer.get(), expected.data(), expected.size()) == 0);
    return 0;
}
