#include "gui/app/Application.h"

int main(int argc, char** argv) { return quillet::RunQuillet(argc, argv); }
