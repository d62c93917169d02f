// The practice of the web page worked natively from the same keys at the same times, for the
// browser tests to compare the page with: prints the run's CSV as the page saves it, or with
// --message the status line after the keys.
//
//   practice_replay [--message] PROBLEMS LEVEL NAME START_MS AT_MS MINUTES_BEHIND_UTC KEY...
//
// PROBLEMS as "8765/43/27,612/6"; LEVEL "guided" or "alone"; START_MS when the run started and
// AT_MS when every key was pressed (milliseconds since 1970); MINUTES_BEHIND_UTC as the browser's
// Date.getTimezoneOffset gives it; each KEY a name of KeyboardEvent.key ("8", "Enter", "h").
#include "PracticeDriver.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

using namespace pelkano::web;

int main(int argc, char** argv)
{
    int first = 1;
    const bool message = argc > 1 && std::strcmp(argv[1], "--message") == 0;
    if (message)
        ++first;
    if (argc - first < 6) {
        std::fputs("practice_replay: usage: practice_replay [--message] PROBLEMS LEVEL NAME START_MS AT_MS "
                   "MINUTES_BEHIND_UTC KEY...\n", stderr);
        return 2;
    }
    const auto items = itemsOfText(argv[first]);
    PracticeDriver driver;
    if (!items || !driver.start(*items, levelOfKey(argv[first + 1]), std::strtod(argv[first + 3], nullptr))) {
        std::fprintf(stderr, "practice_replay: no problem to work in '%s'\n", argv[first]);
        return 2;
    }
    driver.setName(argv[first + 2]);
    const double at = std::strtod(argv[first + 4], nullptr);
    for (int i = first + 6; i < argc; ++i)
        driver.key(argv[i], at);
    const std::string out = message ? driver.session()->message() + "\n"
                                    : driver.csv(std::atoi(argv[first + 5]));
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
