#include "app/SectomatApp.h"

int main(int argc, char** argv)
{
    return RunSectomatApp(argc, argv);
}
