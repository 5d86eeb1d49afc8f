// The game program: one window that shows the quiz on the big screen.

#include <string>
#include <vector>

#include <QApplication>

#include "app/KelvandorApp.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // Arguments stay raw bytes: a puzzle path is used as the file system spells it.
    std::vector<std::string> arguments(argv + 1, argv + argc);
    kelvandor::CKelvandorApp app;
    if (!app.InitInstance(arguments)) {
        return 1;
    }
    return QApplication::exec();
}
