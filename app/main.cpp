// Program entry: one copy per program folder, the main window, the hidden profile editor, the
// message loop. Returns 0 in every case.
#include "app/form1.h"
#include "app/single_instance.h"
#include "platform/application.h"
#include "platform/desktop.h"
#include "platform/paths.h"

#include <memory>

int main(int argc, char** argv)
{
    try {
        Application app(argc, argv);
        SingleInstance instance(ExecutableDir());
        if (!instance.Acquired()) {
            TheDesktop().ShowError(nullptr, SingleInstance::AlreadyRunningText());
            return 0;
        }
        auto form = std::make_unique<TForm1>();
        form->show();
        app.exec();
    } catch (...) {
        ShowCurrentException();
    }
    return 0;
}
