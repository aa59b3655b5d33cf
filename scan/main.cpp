#include "scan/scanProgram.h"

int main(int argc, char** argv)
{
    return kesp::runScanProgram(argc, argv);
}
