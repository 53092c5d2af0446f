// zorctl's argument parsing on any command line. The commands themselves never run: parsing
// stops once the line is understood, before any command's callback, so nothing is sent and
// no file is touched.
#include "CtlSession.h"
#include "ZorCtl.h"

#include <CLI/CLI.hpp>
#include <algorithm>

namespace {
struct Understood {};

// NUL-separated arguments.
std::vector<std::string> arguments(const std::uint8_t *data, std::size_t size)
{
    std::vector<std::string> words(1);
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            words.emplace_back();
        else
            words.back().push_back(char(data[i]));
    }
    return words;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    CLI::App app;
    CtlOptions options;
    int exitCode = 0;
    describeZorCtl(app, options, exitCode);
    // Runs before the commands' callbacks, once every option holds its value.
    app.parse_complete_callback([] { throw Understood{}; });
    std::vector<std::string> words = arguments(data, size);
    std::reverse(words.begin(), words.end());
    try {
        app.parse(words);
    } catch (const CLI::Error &) {
        // a usage error is an answer, not a fault
    } catch (const Understood &) {
    }
    return 0;
}
