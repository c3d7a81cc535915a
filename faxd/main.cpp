#include "service_main.h"

int main(int argc, char** argv)
{
    return FaxdMain(argc, argv);
}
