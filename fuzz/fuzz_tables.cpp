// The number-table reader: any bytes split into lines, and any field of any line read by
// CommaField, which gives a number, warns and gives -1, or throws std::invalid_argument for a
// field that is not an integer; nothing else.
#include "FuzzInput.h"
#include "NumberTable.h"

#include <cstdlib>
#include <stdexcept>

using namespace pelkano;

namespace {

class CountingReporter final : public Reporter {
public:
    void warn(const std::string&) override { ++warnings; }
    int warnings = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::FuzzInput input(data, size);
    const int index = input.word() - 1000;  // -1000 .. 64535, both sides of every line's fields
    const std::string bytes = input.text();
    const NumberTable table = splitLines(bytes);
    std::size_t kept = 0;
    for (const std::string& line : table) {
        kept += line.size();
        for (char c : line)
            if (c == '\r' || c == '\n')
                std::abort();  // a line end inside a line
    }
    if (kept > bytes.size())
        std::abort();
    CountingReporter reporter;
    for (const std::string& line : table) {
        for (const int i : {index, 1, 2, 3}) {
            const int before = reporter.warnings;
            try {
                const int value = CommaField(line, i, reporter);
                const int warned = reporter.warnings - before;
                if (warned > 1 || (warned == 1 && value != -1))
                    std::abort();  // a warning comes once, with -1
            } catch (const std::invalid_argument&) {
            }
        }
    }
    return 0;
}
