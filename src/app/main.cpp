#include "Application.h"
#include "CommandLine.h"
#include "HandOver.h"
#include "MessageHook.h"
#include "Process.h"
#include "SignalCloser.h"
#include "Startup.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    // The hand-over process the window starts at its close comes first: it
    // needs no display and takes an option no user types.
    if (const auto status = quillmoor::runHandOverMode(argc, argv))
        return *status;
    if (const auto status = quillmoor::handleCommandLine(argc, argv))
        return *status;
    // A report written to an output nobody reads any more ("quillmoor 2>&1 |
    // head") must not end the program before the searches are saved.
    quillmoor::os::ignoreBrokenPipes();
    // list.txt and the settings file are read while Qt starts.
    auto startupReads = quillmoor::StartupReads::ofThisProgram();
    std::optional<quillmoor::DisplayCheck> displayCheck(std::in_place);
    QApplication app(argc, argv);
    displayCheck.reset();
    quillmoor::Application quillmoor(quillmoor::Platform::desktop(), std::move(startupReads));
    quillmoor::SignalCloser closer([&quillmoor] { quillmoor.requestClose(); });
    quillmoor::DisplayLossCloser lastWords([&quillmoor] { quillmoor.displayLost(); });
    quillmoor.start();
    if (!quillmoor.form().isVisible() && !quillmoor.handingOverHere())
        return quillmoor.exitStatus();
    const int status = app.exec();
    // A save the close gave up on may still use what the teardown frees; the
    // list is in the rescue file, and nothing else is left to do.
    if (quillmoor.saveAbandoned()) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
