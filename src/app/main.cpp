#include "app/snapvale2.h"

int main(int argc, char** argv) { return snapvale::Main(argc, argv); }
