#include "ConvertCommand.h"

#include <cstring>

int main(int argc, char **argv)
{
    if (argc > 1 && std::strcmp(argv[1], "convert") == 0)
        return runConvertCommand(argc, argv);
    return 0;
}
