#include "app/Startup.h"

int main(int argc, char** argv) {
    return padsmith::runEditor(argc, argv);
}
