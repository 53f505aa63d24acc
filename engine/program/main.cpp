// ferrovan INPUT: 2.5D DC resistivity and IP forward modelling; see Ferrovan.cpp.
#include "engine/program/Ferrovan.h"

int main(int argc, char** argv)
{
    return RunFerrovan(std::vector<std::string>(argv, argv + argc));
}
