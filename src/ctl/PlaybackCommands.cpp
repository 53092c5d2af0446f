#include "ProjectCommands.h"

#include "ProjectStore.h"

#include <CLI/CLI.hpp>
#include <memory>

namespace {

int sendToUnit(const CtlOptions &options, const std::function<ExchangeResult(DeviceLink &)> &send)
{
    CtlSession session(options);
    if (const int failed = session.exitFor(send(session.link)))
        return failed;
    printLine(stdout, "done");
    return CtlDone;
}

} // namespace

void addPlaybackCommands(CLI::App &app, const CtlOptions &options, int &exitCode)
{
    auto clipNumber = std::make_shared<int>(0);
    auto *play = app.add_subcommand("play", "Play clip N on the unit");
    play->add_option("N", *clipNumber, "Clip number")->required()->check(CLI::Range(1, maxClipNumber));
    play->callback([&exitCode, &options, clipNumber] {
        exitCode = sendToUnit(options, [&](DeviceLink &link) { return link.playClip(std::uint8_t(*clipNumber)); });
    });
    app.add_subcommand("stop", "Stop playback on the unit")->callback([&exitCode, &options] {
        exitCode = sendToUnit(options, [](DeviceLink &link) { return link.stopPlayback(); });
    });
    auto inputCode = std::make_shared<int>(0);
    auto *testInput = app.add_subcommand("test-input", "Start the unit's test loop for an input code");
    testInput->add_option("CODE", *inputCode, "1 to 32: the input's bit in modes 0-3, its code in modes 4-7 (DI6: 32)")
        ->required()->check(CLI::Range(1, 32));
    testInput->callback([&exitCode, &options, inputCode] {
        exitCode = sendToUnit(options, [&](DeviceLink &link) { return link.channelTest(true, std::uint8_t(*inputCode)); });
    });
    app.add_subcommand("test-stop", "Stop the unit's input test loop")->callback([&exitCode, &options] {
        exitCode = sendToUnit(options, [](DeviceLink &link) { return link.channelTest(false, 0); });
    });
}
