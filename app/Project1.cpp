// The program entry: start the application, build the main window, run it.
#include "platform/Forms.h"
#include "ui/Unit1.h"

int main()
{
    try {
        Application->Initialize();
        Application->CreateForm(Form1);
        Application->Run();
    } catch (const Exception& e) {
        Application->ShowException(e);
    } catch (...) {
        Application->ShowException(Exception(""));
    }
    return 0;
}
