#include "Application.h"
#include "HandOver.h"
#include "SignalCloser.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    if (const auto status = quillmoor::runHandOverMode(argc, argv))
        return *status;
    QApplication app(argc, argv);
    quillmoor::Application quillmoor(quillmoor::Platform::desktop());
    quillmoor::SignalCloser closer([&quillmoor] { quillmoor.requestClose(); });
    quillmoor.start();
    if (!quillmoor.form().isVisible())
        return quillmoor.exitStatus();
    return app.exec();
}
