// The game program: one window that shows the quiz on the big screen.

#include <iostream>
#include <string>
#include <vector>

#include <QApplication>

#include "app/CommandLine.h"
#include "app/KelvandorApp.h"

int main(int argc, char* argv[]) {
    // Arguments stay raw bytes: a puzzle path is used as the file system spells it.
    std::vector<std::string> arguments(argv + 1, argv + argc);
    // Answered before Qt starts, so that they work without a display.
    if (const auto info = kelvandor::FindInfoRequest(arguments)) {
        if (*info == kelvandor::InfoRequest::Version) {
            std::cout << "kelvandor " << KELVANDOR_VERSION << "\n";
        } else {
            std::cout << kelvandor::UsageText();
        }
        return 0;
    }
    QApplication application(argc, argv);
    kelvandor::CKelvandorApp app;
    if (!app.InitInstance(arguments)) {
        return 1;
    }
    return QApplication::exec();
}
