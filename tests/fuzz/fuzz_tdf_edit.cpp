// Edits arbitrary record text the way a cell edit does and checks what an edit
// promises: the value read back is the value written, and writing the old value
// back gives the text byte for byte. The first bytes choose the key and value.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tdf/TdfEdit.h"

namespace {

constexpr const char* kKeys[] = {"cost", "Name", "canfly", "x", "a b"};
constexpr const char* kValues[] = {"12", "10.50", "Beta Two", "-0", "1e5", "7;", ""};
constexpr int kDepths[] = {1, 2, lorvex::kTdfAnyDepth};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const char* key = kKeys[data[0] % std::size(kKeys)];
    const char* value = kValues[(data[0] / 8) % std::size(kValues)];
    const int depth = kDepths[data[1] % std::size(kDepths)];
    const std::string original(reinterpret_cast<const char*>(data + 2), size - 2);
    for (const lorvex::TdfBlockInfo& block : lorvex::TdfBlocks(original)) {
        const std::optional<std::string> before = lorvex::TdfReadValue(original, block.line, key, depth);
        std::string text = original;
        const lorvex::TdfEditResult set = lorvex::TdfSetValue(text, block.line, key, value, depth);
        if (set.outcome == lorvex::TdfEditOutcome::Refused || set.outcome == lorvex::TdfEditOutcome::NoSuchBlock) {
            if (text != original) std::abort();  // a refused edit changes nothing
            continue;
        }
        if (lorvex::TdfReadValue(text, block.line, key, depth) != std::optional<std::string>(value)) std::abort();
        if (set.outcome == lorvex::TdfEditOutcome::Replaced) {
            if (!before || set.oldValue != *before) std::abort();
            const lorvex::TdfEditResult back = lorvex::TdfSetValue(text, block.line, key, set.oldValue, depth);
            if (back.outcome == lorvex::TdfEditOutcome::Replaced && text != original) std::abort();
        }
    }
    return 0;
}
