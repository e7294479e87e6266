#include "Application.h"
#include "CommandLine.h"
#include "SignalCloser.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    if (const auto status = quillmoor::handleCommandLine(argc, argv))
        return *status;
    QApplication app(argc, argv);
    quillmoor::Application quillmoor(quillmoor::Platform::desktop());
    quillmoor::SignalCloser closer([&quillmoor] { quillmoor.requestClose(); });
    quillmoor.start();
    if (!quillmoor.form().isVisible())
        return 0;
    return app.exec();
}
