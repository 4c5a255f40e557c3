#include "app/ReplixaApplication.h"

int main(int argc, char **argv)
{
    return runReplixa(argc, argv);
}
