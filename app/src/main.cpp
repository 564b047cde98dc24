#include "tandrel/dialog/TandrelApp.h"

int main(int argc, char* argv[]) {
    CTandrelApp theApp(argc, argv);
    return theApp.Run();
}
