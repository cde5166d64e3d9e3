#include <iostream>

#include "fwimage.h"

int main(int argc, char** argv) { return FwImageMain(argc, argv, std::cout, std::cerr); }
