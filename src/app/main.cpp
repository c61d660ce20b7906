#include "BrewdeckApp.h"

// The one application object, made before main runs.
CBrewdeckApp theApp;

int main(int argc, char *argv[])
{
    return theApp.run(argc, argv);
}
